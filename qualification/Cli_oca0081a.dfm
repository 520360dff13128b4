// Supplier qualification panel: the filter bar, the suppliers' list, a supplier's chart.
inherited frmQualifForn: TfrmQualifForn
  Caption = 'Qualificação Automática de Fornecedores'
  FormStyle = fsMDIChild
  OnCreate = FormCreate
  OnClose = FormClose
  inherited panMenu: TPanel
    inherited lblCodTela: TLabel
      Caption = 'OCA00810'
    end
    inherited sbtConfirmar: TSpeedButton
      Visible = False
    end
    inherited sbtCancelar: TSpeedButton
      Visible = False
    end
    inherited sbtIncluir: TSpeedButton
      Visible = False
    end
    inherited sbtAlterar: TSpeedButton
      Visible = False
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
      DataField = 'NMRAZSOCFORN'
    end
  end
  object panFiltro: TPanel
    Align = alTop
    Left = 0
    Top = 60
    Width = 772
    Height = 50
    object grbFilial: TGroupBox
      Left = 4
      Top = 2
      Width = 164
      Height = 46
      Caption = 'Filiais'
      object rbtFiliTodos: TRadioButton
        Left = 8
        Top = 20
        Width = 64
        Height = 20
        Caption = 'Todas'
        Checked = True
        TabOrder = 0
        OnClick = rbtFiliTodosClick
      end
      object rbtFiliLista: TRadioButton
        Left = 74
        Top = 20
        Width = 58
        Height = 20
        Caption = 'Lista'
        TabOrder = 1
        OnClick = rbtFiliListaClick
      end
      object btpFilial: TBtnPesquisa
        Left = 134
        Top = 18
        Width = 23
        Height = 22
        Hint = 'Pesquisar'
        Enabled = False
        Title = 'Filial'
        EmptyError = 'Não há filial cadastrada.'
        DataSource = dtsFilial
        Associate = rbtFiliLista
        OnClick = btpFilialClick
      end
    end
    object grbFornecedor: TGroupBox
      Left = 174
      Top = 2
      Width = 164
      Height = 46
      Caption = 'Fornecedores'
      object rbtFornTodos: TRadioButton
        Left = 8
        Top = 20
        Width = 64
        Height = 20
        Caption = 'Todos'
        Checked = True
        TabOrder = 0
        OnClick = rbtFornTodosClick
      end
      object rbtFornLista: TRadioButton
        Left = 74
        Top = 20
        Width = 58
        Height = 20
        Caption = 'Lista'
        TabOrder = 1
        OnClick = rbtFornListaClick
      end
      object btpFornecedor: TBtnPesquisa
        Left = 134
        Top = 18
        Width = 23
        Height = 22
        Hint = 'Pesquisar'
        Enabled = False
        Title = 'Fornecedor'
        EmptyError = 'Não há fornecedor cadastrado.'
        DataSource = dtsFornecedor
        Associate = rbtFornLista
        OnClick = btpFornecedorClick
      end
    end
    object lblPeriodo: TLabel
      Left = 348
      Top = 4
      Width = 120
      Height = 16
      Caption = 'Período (mês/ano)'
    end
    object medMesIni: TMaskEdit
      Left = 348
      Top = 20
      Width = 70
      Height = 22
      TabOrder = 2
      EditMask = '99/9999;1;_'
      MaxLength = 7
    end
    object lblAte: TLabel
      Left = 424
      Top = 24
      Width = 24
      Height = 16
      Caption = 'até'
    end
    object medMesFin: TMaskEdit
      Left = 452
      Top = 20
      Width = 70
      Height = 22
      TabOrder = 3
      EditMask = '99/9999;1;_'
      MaxLength = 7
    end
  end
  inherited pgcPadrao: TPageControl
    Top = 110
    Height = 404
    inherited tshFolhaDados: TTabSheet
      Caption = 'Fornecedores'
      inherited dbgPadrao: TDBGrid
        Columns = <
          item
            FieldName = 'CDFORNECED'
            Title.Caption = 'Código'
            Width = 70
          end
          item
            FieldName = 'NMRAZSOCFORN'
            Title.Caption = 'Razão Social'
            Width = 240
          end
          item
            FieldName = 'VRNOTA'
            Title.Caption = 'Nota'
            Width = 60
          end
          item
            FieldName = 'IDCLASSIF'
            Title.Caption = 'Classe'
            Width = 50
          end
          item
            FieldName = 'TENDENCIA'
            Title.Caption = 'Variação'
            Width = 70
          end
          item
            FieldName = 'MESREF'
            Title.Caption = 'Mês'
            Width = 70
          end
          item
            FieldName = 'QTOCORR'
            Title.Caption = 'Ocorrências'
            Width = 80
          end
          item
            FieldName = 'QTRECEBTO'
            Title.Caption = 'Recebimentos'
            Width = 90
          end
          item
            FieldName = 'QTTRATABERTOS'
            Title.Caption = 'Tratamentos em curso'
            Width = 130
          end
          item
            FieldName = 'QTACOESVENCIDAS'
            Title.Caption = 'Ações vencidas'
            Width = 100
          end
          item
            FieldName = 'DTAPURACAO'
            Title.Caption = 'Apurado em'
            Width = 130
          end>
      end
    end
    inherited tshFormulario: TTabSheet
      Caption = 'Gráfico'
      inherited scbFormulario: TScrollBox
        Visible = False
      end
      object chtQualif: TChart
        Align = alClient
        Left = 0
        Top = 0
        Width = 764
        Height = 376
        OnSelect = chtQualifSelect
      end
    end
  end
  inherited mnuPrincipal: TMainMenu
    inherited mnuOperacao: TMenuItem
      inherited mnuFolhaDados: TMenuItem
        Caption = '&Fornecedores'
      end
      inherited mnuFormulario: TMenuItem
        Caption = '&Gráfico'
      end
      inherited mnuListagem: TMenuItem
        Enabled = False
      end
      inherited mnuConfigImpressora: TMenuItem
        Enabled = False
      end
      object mnuExportarLista: TMenuItem
        Caption = 'E&xportar lista...'
        OnClick = mnuExportarListaClick
      end
      object mnuExportarGrafico: TMenuItem
        Caption = 'Exportar &gráfico...'
        OnClick = mnuExportarGraficoClick
      end
    end
    inherited mnuManutencao: TMenuItem
      inherited mnuIncluir: TMenuItem
        Visible = False
      end
      inherited mnuAlterar: TMenuItem
        Visible = False
      end
      inherited mnuExcluir: TMenuItem
        Visible = False
      end
      inherited mnuCancelar: TMenuItem
        Visible = False
      end
      inherited mnuConfirmar: TMenuItem
        Visible = False
      end
    end
  end
  inherited dtsPadrao: TDataSource
    DataSet = cdsFornecedores
  end
  object netQualif: TNetConnection
    ServerName = 'OCA0080A.rdmOcorAtendimento'
    ThrowException = False
    BeforeConnect = netQualifBeforeConnect
  end
  object cdsFornecedores: TClientDataSet
    AfterScroll = cdsFornecedoresAfterScroll
    object cdsFornecedoresCDFORNECED: TStringField
      FieldName = 'CDFORNECED'
      Size = 21
    end
    object cdsFornecedoresNMRAZSOCFORN: TStringField
      FieldName = 'NMRAZSOCFORN'
      Size = 60
    end
    object cdsFornecedoresVRNOTA: TFloatField
      FieldName = 'VRNOTA'
      OnGetText = cdsFornecedoresVRNOTAGetText
    end
    object cdsFornecedoresIDCLASSIF: TStringField
      FieldName = 'IDCLASSIF'
      Size = 1
    end
    object cdsFornecedoresTENDENCIA: TStringField
      FieldName = 'TENDENCIA'
      Size = 10
    end
    object cdsFornecedoresMESREF: TStringField
      FieldName = 'MESREF'
      Size = 7
    end
    object cdsFornecedoresQTOCORR: TIntegerField
      FieldName = 'QTOCORR'
    end
    object cdsFornecedoresQTRECEBTO: TIntegerField
      FieldName = 'QTRECEBTO'
    end
    object cdsFornecedoresDTAPURACAO: TDateTimeField
      FieldName = 'DTAPURACAO'
    end
    object cdsFornecedoresQTTRATABERTOS: TIntegerField
      FieldName = 'QTTRATABERTOS'
    end
    object cdsFornecedoresQTACOESVENCIDAS: TIntegerField
      FieldName = 'QTACOESVENCIDAS'
    end
  end
  object qryFilial: TADOIBQuery
    SQL.Strings = (
      'SELECT CDFILIAL, NMFILIAL FROM FILIAL ORDER BY CDFILIAL')
    object qryFilialCDFILIAL: TStringField
      FieldName = 'CDFILIAL'
      Size = 4
      DisplayLabel = 'Código'
    end
    object qryFilialNMFILIAL: TStringField
      FieldName = 'NMFILIAL'
      Size = 30
      DisplayLabel = 'Nome'
    end
  end
  object qryFornecedor: TADOIBQuery
    SQL.Strings = (
      'SELECT CDFORNECED, NMRAZSOCFORN FROM FORNECEDOR ORDER BY CDFORNECED')
    object qryFornecedorCDFORNECED: TStringField
      FieldName = 'CDFORNECED'
      Size = 21
      DisplayLabel = 'Código'
    end
    object qryFornecedorNMRAZSOCFORN: TStringField
      FieldName = 'NMRAZSOCFORN'
      Size = 60
      DisplayLabel = 'Razão Social'
    end
  end
  object dtsFilial: TDataSource
    DataSet = qryFilial
  end
  object dtsFornecedor: TDataSource
    DataSet = qryFornecedor
  end
end
