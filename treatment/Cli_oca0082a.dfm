// Treatment of occurrences: the filter bar, the list, a treatment with its actions, and
// the occurrence's description and assessment.
inherited frmTratOcorr: TfrmTratOcorr
  Caption = 'Tratamento de Ocorrências'
  FormStyle = fsMDIChild
  OnCreate = FormCreate
  OnClose = FormClose
  inherited panMenu: TPanel
    inherited lblCodTela: TLabel
      Caption = 'OCA00820'
    end
    inherited sbtConfirmar: TSpeedButton
      OnClick = sbtConfirmarClick
    end
    inherited sbtCancelar: TSpeedButton
      OnClick = sbtCancelarClick
    end
    inherited sbtIncluir: TSpeedButton
      Visible = False
    end
    inherited sbtAlterar: TSpeedButton
      OnClick = sbtAlterarClick
    end
    inherited sbtExcluir: TSpeedButton
      Visible = False
    end
    inherited sbtImprimir: TSpeedButton
      Enabled = False
    end
    inherited sbtVerificar: TSpeedButton
      Hint = 'Atualizar'
      OnClick = sbtVerificarClick
    end
  end
  inherited panNavigator: TPanel
    inherited dbtNome: TDBText
      DataField = 'DSSUMARIAOC'
    end
  end
  object panFiltro: TPanel
    Align = alTop
    Left = 0
    Top = 60
    Width = 772
    Height = 96
    object lblFilial: TLabel
      Left = 8
      Top = 8
      Width = 40
      Height = 16
      Caption = 'Filial'
    end
    object edtFilial: TEdit
      Left = 52
      Top = 4
      Width = 50
      Height = 22
      MaxLength = 4
      TabOrder = 0
    end
    object lblResponsavelFiltro: TLabel
      Left = 116
      Top = 8
      Width = 80
      Height = 16
      Caption = 'Responsável'
    end
    object edtResponsavel: TEdit
      Left = 200
      Top = 4
      Width = 80
      Height = 22
      MaxLength = 12
      TabOrder = 1
    end
    object lblPeriodo: TLabel
      Left = 296
      Top = 8
      Width = 60
      Height = 16
      Caption = 'Período'
    end
    object depDe: TDateEditPlus
      Left = 360
      Top = 4
      Width = 100
      Height = 22
      TabOrder = 2
      ValidDateColor = clBlue
      DayNames.Strings = (
        'Domingo'
        'Segunda'
        'Terça'
        'Quarta'
        'Quinta'
        'Sexta'
        'Sábado')
    end
    object lblAte: TLabel
      Left = 466
      Top = 8
      Width = 24
      Height = 16
      Caption = 'até'
    end
    object depAte: TDateEditPlus
      Left = 494
      Top = 4
      Width = 100
      Height = 22
      TabOrder = 3
      ValidDateColor = clBlue
      DayNames.Strings = (
        'Domingo'
        'Segunda'
        'Terça'
        'Quarta'
        'Quinta'
        'Sexta'
        'Sábado')
    end
    object chkVencidas: TCheckBox
      Left = 604
      Top = 6
      Width = 164
      Height = 20
      Caption = 'Só com ações vencidas'
      TabOrder = 4
    end
    object grbSituacao: TGroupBox
      Left = 8
      Top = 32
      Width = 470
      Height = 58
      Caption = 'Situação'
      object rbtSitTodas: TRadioButton
        Left = 8
        Top = 24
        Width = 60
        Height = 20
        Caption = 'Todas'
        Checked = True
      end
      object rbtSitA: TRadioButton
        Left = 70
        Top = 24
        Width = 62
        Height = 20
        Caption = 'Aberta'
      end
      object rbtSitN: TRadioButton
        Left = 136
        Top = 24
        Width = 86
        Height = 20
        Caption = 'Em análise'
      end
      object rbtSitE: TRadioButton
        Left = 224
        Top = 24
        Width = 70
        Height = 20
        Caption = 'Em ação'
      end
      object rbtSitF: TRadioButton
        Left = 296
        Top = 24
        Width = 82
        Height = 20
        Caption = 'Encerrada'
      end
      object rbtSitC: TRadioButton
        Left = 380
        Top = 24
        Width = 82
        Height = 20
        Caption = 'Cancelada'
      end
    end
  end
  inherited pgcPadrao: TPageControl
    Top = 156
    Height = 358
    inherited tshFolhaDados: TTabSheet
      Caption = 'Tratamentos'
      inherited dbgPadrao: TDBGrid
        Columns = <
          item
            FieldName = 'CDFILILANCMO'
            Title.Caption = 'Filial'
            Width = 50
          end
          item
            FieldName = 'NROCORRMOV'
            Title.Caption = 'Nº Ocorrência'
            Width = 90
          end
          item
            FieldName = 'DTOCORRMOV'
            Title.Caption = 'Data'
            Width = 120
          end
          item
            FieldName = 'NMRAZSOCFORN'
            Title.Caption = 'Fornecedor'
            Width = 170
          end
          item
            FieldName = 'DSSUMARIAOC'
            Title.Caption = 'Descrição Sumária'
            Width = 170
          end
          item
            FieldName = 'IDSITUACAO'
            Title.Caption = 'Situação'
            Width = 80
          end
          item
            FieldName = 'NMOPERRESP'
            Title.Caption = 'Responsável'
            Width = 120
          end
          item
            FieldName = 'DTPRAZO'
            Title.Caption = 'Prazo'
            Width = 80
          end
          item
            FieldName = 'NRDIAS'
            Title.Caption = 'Dias'
            Width = 45
          end
          item
            FieldName = 'QTACOESABERTAS'
            Title.Caption = 'Ações abertas'
            Width = 90
          end
          item
            FieldName = 'QTACOESVENCIDAS'
            Title.Caption = 'Vencidas'
            Width = 70
          end>
      end
    end
    inherited tshFormulario: TTabSheet
      Caption = 'Tratamento'
      inherited scbFormulario: TScrollBox
        object lblOcorrencia: TLabel
          Left = 8
          Top = 11
          Width = 110
          Height = 16
          Caption = 'Ocorrência'
        end
        object dbeFilial: TDBEdit
          Left = 136
          Top = 8
          Width = 50
          Height = 21
          DataSource = dtsTratamento
          DataField = 'CDFILILANCMO'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object dbeNumero: TDBEdit
          Left = 190
          Top = 8
          Width = 100
          Height = 21
          DataSource = dtsTratamento
          DataField = 'NROCORRMOV'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblSituacao: TLabel
          Left = 320
          Top = 11
          Width = 70
          Height = 16
          Caption = 'Situação'
        end
        object dbeSituacao: TDBEdit
          Left = 392
          Top = 8
          Width = 120
          Height = 21
          DataSource = dtsTratamento
          DataField = 'IDSITUACAO'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblResponsavel: TLabel
          Left = 8
          Top = 39
          Width = 110
          Height = 16
          Caption = 'Responsável'
        end
        object dbeResponsavel: TDBEdit
          Left = 136
          Top = 36
          Width = 80
          Height = 21
          DataSource = dtsTratamento
          DataField = 'CDOPERRESP'
          MaxLength = 12
        end
        object dbeNmResponsavel: TDBEdit
          Left = 220
          Top = 36
          Width = 250
          Height = 21
          DataSource = dtsTratamento
          DataField = 'NMOPERRESP'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblPrazo: TLabel
          Left = 490
          Top = 39
          Width = 50
          Height = 16
          Caption = 'Prazo'
        end
        object dbdPrazo: TDBDateEditPlus
          Left = 544
          Top = 36
          Width = 100
          Height = 21
          SaveTime = False
          ValidDateColor = clBlue
          DataSource = dtsTratamento
          DataField = 'DTPRAZO'
          DayNames.Strings = (
            'Domingo'
            'Segunda'
            'Terça'
            'Quarta'
            'Quinta'
            'Sexta'
            'Sábado')
        end
        object lblCausa: TLabel
          Left = 8
          Top = 67
          Width = 110
          Height = 16
          Caption = 'Causa raiz'
        end
        object dbeCausa: TDBEdit
          Left = 136
          Top = 64
          Width = 600
          Height = 21
          DataSource = dtsTratamento
          DataField = 'DSCAUSA'
        end
        object lblAcaoImediata: TLabel
          Left = 8
          Top = 95
          Width = 110
          Height = 16
          Caption = 'Ação imediata'
        end
        object dbeAcaoImediata: TDBEdit
          Left = 136
          Top = 92
          Width = 600
          Height = 21
          DataSource = dtsTratamento
          DataField = 'DSACAOIMED'
        end
        object lblEncerrada: TLabel
          Left = 8
          Top = 123
          Width = 110
          Height = 16
          Caption = 'Encerrada em'
        end
        object dbdEncerrada: TDBDateEditPlus
          Left = 136
          Top = 120
          Width = 100
          Height = 21
          SaveTime = False
          ValidDateColor = clBlue
          DataSource = dtsTratamento
          DataField = 'DTENCERRA'
          Color = clBtnFace
          Enabled = False
          TabStop = False
          DayNames.Strings = (
            'Domingo'
            'Segunda'
            'Terça'
            'Quarta'
            'Quinta'
            'Sexta'
            'Sábado')
        end
        object lblPor: TLabel
          Left = 244
          Top = 123
          Width = 24
          Height = 16
          Caption = 'por'
        end
        object dbeNmEncerrou: TDBEdit
          Left = 270
          Top = 120
          Width = 200
          Height = 21
          DataSource = dtsTratamento
          DataField = 'NMOPERENCERRA'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblMotivo: TLabel
          Left = 480
          Top = 123
          Width = 80
          Height = 16
          Caption = 'Reaberto por'
        end
        object dbeMotivo: TDBEdit
          Left = 564
          Top = 120
          Width = 172
          Height = 21
          DataSource = dtsTratamento
          DataField = 'DSMOTIVOREAB'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblAcoes: TLabel
          Left = 8
          Top = 153
          Width = 300
          Height = 16
          Caption = 'Ações (corretivas e preventivas)'
        end
        object dbgAcoes: TDBGrid
          Left = 8
          Top = 170
          Width = 740
          Height = 130
          DataSource = dtsAcoes
          Columns = <
            item
              FieldName = 'NRACAO'
              Title.Caption = 'Nº'
              Width = 30
            end
            item
              FieldName = 'IDTIPO'
              Title.Caption = 'Tipo'
              Width = 40
            end
            item
              FieldName = 'DSACAO'
              Title.Caption = 'Ação'
              Width = 230
            end
            item
              FieldName = 'NMOPERRESP'
              Title.Caption = 'Responsável'
              Width = 110
            end
            item
              FieldName = 'DTPREVISTA'
              Title.Caption = 'Prevista'
              Width = 80
            end
            item
              FieldName = 'DTREALIZADA'
              Title.Caption = 'Realizada'
              Width = 80
            end
            item
              FieldName = 'IDSITUACAO'
              Title.Caption = 'Situação'
              Width = 60
            end
            item
              FieldName = 'DTVERIFICA'
              Title.Caption = 'Verificada'
              Width = 80
            end
            item
              FieldName = 'IDEFICAZ'
              Title.Caption = 'Eficaz'
              Width = 50
            end>
        end
        object lblAcaoTipo: TLabel
          Left = 8
          Top = 311
          Width = 110
          Height = 16
          Caption = 'Tipo (C ou P)'
        end
        object dbeAcaoTipo: TDBEdit
          Left = 136
          Top = 308
          Width = 30
          Height = 21
          DataSource = dtsAcoes
          DataField = 'IDTIPO'
          MaxLength = 1
        end
        object lblAcaoTexto: TLabel
          Left = 180
          Top = 311
          Width = 40
          Height = 16
          Caption = 'Ação'
        end
        object dbeAcaoTexto: TDBEdit
          Left = 224
          Top = 308
          Width = 512
          Height = 21
          DataSource = dtsAcoes
          DataField = 'DSACAO'
          MaxLength = 200
        end
        object lblAcaoResponsavel: TLabel
          Left = 8
          Top = 339
          Width = 110
          Height = 16
          Caption = 'Responsável'
        end
        object dbeAcaoResponsavel: TDBEdit
          Left = 136
          Top = 336
          Width = 80
          Height = 21
          DataSource = dtsAcoes
          DataField = 'CDOPERRESP'
          MaxLength = 12
        end
        object lblAcaoPrevista: TLabel
          Left = 230
          Top = 339
          Width = 60
          Height = 16
          Caption = 'Prevista'
        end
        object dbdAcaoPrevista: TDBDateEditPlus
          Left = 294
          Top = 336
          Width = 100
          Height = 21
          SaveTime = False
          ValidDateColor = clBlue
          DataSource = dtsAcoes
          DataField = 'DTPREVISTA'
          DayNames.Strings = (
            'Domingo'
            'Segunda'
            'Terça'
            'Quarta'
            'Quinta'
            'Sexta'
            'Sábado')
        end
        object lblAcaoRealizada: TLabel
          Left = 410
          Top = 339
          Width = 70
          Height = 16
          Caption = 'Realizada'
        end
        object dbdAcaoRealizada: TDBDateEditPlus
          Left = 484
          Top = 336
          Width = 100
          Height = 21
          SaveTime = False
          ValidDateColor = clBlue
          DataSource = dtsAcoes
          DataField = 'DTREALIZADA'
          DayNames.Strings = (
            'Domingo'
            'Segunda'
            'Terça'
            'Quarta'
            'Quinta'
            'Sexta'
            'Sábado')
        end
        object lblAcaoSituacao: TLabel
          Left = 8
          Top = 367
          Width = 110
          Height = 16
          Caption = 'Situação (A, R, C)'
        end
        object dbeAcaoSituacao: TDBEdit
          Left = 136
          Top = 364
          Width = 30
          Height = 21
          DataSource = dtsAcoes
          DataField = 'IDSITUACAO'
          MaxLength = 1
        end
        object lblAcaoVerificada: TLabel
          Left = 180
          Top = 367
          Width = 90
          Height = 16
          Caption = 'Verificada em'
        end
        object dbdAcaoVerificada: TDBDateEditPlus
          Left = 274
          Top = 364
          Width = 100
          Height = 21
          SaveTime = False
          ValidDateColor = clBlue
          DataSource = dtsAcoes
          DataField = 'DTVERIFICA'
          DayNames.Strings = (
            'Domingo'
            'Segunda'
            'Terça'
            'Quarta'
            'Quinta'
            'Sexta'
            'Sábado')
        end
        object lblAcaoEficaz: TLabel
          Left = 390
          Top = 367
          Width = 100
          Height = 16
          Caption = 'Eficaz (S ou N)'
        end
        object dbeAcaoEficaz: TDBEdit
          Left = 494
          Top = 364
          Width = 30
          Height = 21
          DataSource = dtsAcoes
          DataField = 'IDEFICAZ'
          MaxLength = 1
        end
        object lblAcaoNota: TLabel
          Left = 8
          Top = 395
          Width = 125
          Height = 16
          Caption = 'Nota da verificação'
        end
        object dbeAcaoNota: TDBEdit
          Left = 136
          Top = 392
          Width = 600
          Height = 21
          DataSource = dtsAcoes
          DataField = 'DSVERIFICA'
          MaxLength = 200
        end
      end
    end
    object tshOcorrencia: TTabSheet
      Caption = 'Descrição e Parecer'
      object dreDescricao: TDBRichEdit
        Align = alTop
        Left = 0
        Top = 0
        Width = 764
        Height = 160
        TabOrder = 0
        DataSource = dtsDescricao
        DataField = 'DSMOVOCORR'
        ReadOnly = True
      end
      object dreParecer: TDBRichEdit
        Align = alClient
        Left = 0
        Top = 160
        Width = 764
        Height = 170
        TabOrder = 1
        DataSource = dtsParecer
        DataField = 'DSPAROCORMOV'
        ReadOnly = True
      end
    end
  end
  inherited mnuPrincipal: TMainMenu
    inherited mnuOperacao: TMenuItem
      inherited mnuFolhaDados: TMenuItem
        Caption = '&Tratamentos'
      end
      inherited mnuFormulario: TMenuItem
        Caption = 'T&ratamento'
      end
      inherited mnuListagem: TMenuItem
        Enabled = False
      end
      inherited mnuConfigImpressora: TMenuItem
        Enabled = False
      end
      object mnuNovaAcao: TMenuItem
        Caption = '&Nova ação'
        ShortCut = 'Ctrl+N'
        OnClick = mnuNovaAcaoClick
      end
      object mnuExcluirAcao: TMenuItem
        Caption = 'E&xcluir ação'
        OnClick = mnuExcluirAcaoClick
      end
      object mnuEmAnalise: TMenuItem
        Caption = 'Em an&álise'
        OnClick = mnuEmAnaliseClick
      end
      object mnuEmAcao: TMenuItem
        Caption = 'Em aç&ão'
        OnClick = mnuEmAcaoClick
      end
      object mnuEncerrar: TMenuItem
        Caption = '&Encerrar'
        OnClick = mnuEncerrarClick
      end
      object mnuCancelarTrat: TMenuItem
        Caption = 'Cancelar &tratamento'
        OnClick = mnuCancelarTratClick
      end
      object mnuReabrir: TMenuItem
        Caption = '&Reabrir...'
        OnClick = mnuReabrirClick
      end
      object mnuAnexos: TMenuItem
        Caption = 'A&nexos...'
        OnClick = mnuAnexosClick
      end
      object mnuRelatorio: TMenuItem
        Caption = 'Relatório da ocorrê&ncia...'
        OnClick = mnuRelatorioClick
      end
    end
    inherited mnuManutencao: TMenuItem
      inherited mnuIncluir: TMenuItem
        Visible = False
      end
      inherited mnuExcluir: TMenuItem
        Visible = False
      end
    end
  end
  inherited dtsPadrao: TDataSource
    DataSet = cdsTratamentos
  end
  object netTrat: TNetConnection
    ServerName = 'OCA0080A.rdmOcorAtendimento'
    ThrowException = False
    BeforeConnect = netTratBeforeConnect
  end
  object cdsTratamentos: TClientDataSet
    AfterScroll = cdsTratamentosAfterScroll
  end
  object cdsTratamento: TClientDataSet
  end
  object cdsAcoes: TClientDataSet
  end
  object cdsDescricao: TClientDataSet
  end
  object cdsParecer: TClientDataSet
  end
  object dtsTratamento: TDataSource
    DataSet = cdsTratamento
  end
  object dtsAcoes: TDataSource
    DataSet = cdsAcoes
  end
  object dtsDescricao: TDataSource
    DataSet = cdsDescricao
  end
  object dtsParecer: TDataSource
    DataSet = cdsParecer
  end
end
