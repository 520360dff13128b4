// Occurrence register screen: components, captions, bindings and catalog.
inherited frmParecerOcorrAtend: TfrmParecerOcorrAtend
  Caption = 'Ocorrências de Atendimento com Qualificação Automática de Fornecedores'
  HelpContext = 12500800
  HelpFile = 'OcaHelp.hlp'
  FormStyle = fsMDIChild
  OnCreate = FormCreate
  OnClose = FormClose
  OnCloseQuery = FormCloseQuery
  OnActivate = FormActivate
  inherited panMenu: TPanel
    inherited lblCodTela: TLabel
      Caption = 'OCA00800'
    end
    inherited sbtImprimir: TSpeedButton
      Enabled = False
    end
    inherited sbtExcluir: TSpeedButton
      OnClick = sbtExcluirClick
    end
    inherited sbtVerificar: TSpeedButton
      OnClick = sbtVerificarClick
    end
    object sbtFiltrar: TSpeedButton
      Left = 324
      Width = 28
      Height = 28
      Hint = 'Filtrar'
      Glyph = 'Filtrar'
      OnClick = sbtFiltrarClick
    end
  end
  inherited panNavigator: TPanel
    inherited dbtNome: TDBText
      DataField = 'DTFORN'
    end
  end
  inherited pgcPadrao: TPageControl
    OnChange = pgcPadraoChange
    inherited tshFolhaDados: TTabSheet
      inherited dbgPadrao: TDBGrid
        Columns = <
          item
            FieldName = 'NROCORRMOV'
          end
          item
            FieldName = 'DTOCORRMOV'
            Title.Caption = 'Data'
            Width = 130
          end
          item
            FieldName = 'NMOPERADOR'
          end
          item
            FieldName = 'TIPO'
            Title.Caption = 'Tipo'
            Width = 80
          end
          item
            FieldName = 'NMRAZSOC'
            Title.Caption = 'Nome Razão Social'
          end
          item
            FieldName = 'NMPRODUTO'
          end
          item
            FieldName = 'NRLOTEESTQ'
          end>
      end
    end
    inherited tshFormulario: TTabSheet
      Caption = 'Dados da Ocorrência'
      inherited scbFormulario: TScrollBox
        object lblFilial: TLabel
          Left = 8
          Top = 11
          Width = 120
          Height = 16
          Caption = 'Filial'
          FocusControl = dbeCdFilial
        end
        object dbeCdFilial: TDBEdit
          OnChange = dbeCdFilialChange
          OnExit = dbeCdFilialExit
          Left = 136
          Top = 8
          Width = 50
          Height = 21
          TabOrder = 0
          DataSource = dtsPadrao
          DataField = 'CDFILIAL'
          Color = clInfoBk
        end
        object btnFilial: TBtnPesquisa
          OnBeforePesq = btnFilialBeforePesq
          OnAfterPesq = btnFilialAfterPesq
          Left = 190
          Top = 8
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Filial'
          EmptyError = 'Não há filial cadastrada.'
          Associate = dbeCdFilial
          DataSource = dtsFilial
        end
        object dbeNmFilial: TDBEdit
          Left = 216
          Top = 8
          Width = 300
          Height = 21
          DataSource = dtsPadrao
          DataField = 'NMFILIAL'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object grbFornClie: TGroupBox
          Left = 8
          Top = 34
          Width = 600
          Height = 48
          TabOrder = 1
          object rbtForne: TRadioButton
            OnClick = rbtForneClick
            Left = 8
            Top = 18
            Width = 90
            Height = 17
            Caption = 'Fornecedor'
            Checked = True
            TabOrder = 0
          end
          object rbtCliente: TRadioButton
            OnClick = rbtClienteClick
            Left = 100
            Top = 18
            Width = 70
            Height = 17
            Caption = 'Cliente'
            TabOrder = 1
          end
          object rbtProsp: TRadioButton
            OnClick = rbtClienteClick
            Left = 172
            Top = 18
            Width = 80
            Height = 17
            Caption = 'Prospect'
            TabOrder = 2
          end
          object dbeNrInsc: TDBEdit
            OnEnter = dbeNrInscEnter
            OnExit = dbeNrInscExit
            Left = 256
            Top = 16
            Width = 130
            Height = 21
            TabOrder = 3
            Color = clInfoBk
            DataSource = dtsPadrao
            DataField = 'NRINSJUR'
          end
          object btpInsc: TBtnPesquisa
            OnClick = btpInscClick
            Left = 388
            Top = 16
            Width = 23
            Height = 22
            Hint = 'Pesquisar'
            Title = 'Cliente/Forneced/Prosp'
            EmptyError = 'Não há cliente/forneced/prosp cadastrado.'
            Associate = dbeNrInsc
            DataSource = dtsCliFor
          end
          object dbeRazSoc: TDBEdit
            Left = 414
            Top = 16
            Width = 180
            Height = 21
            TabOrder = 5
            Color = clBtnFace
            Enabled = False
            TabStop = False
            DataSource = dtsPadrao
            DataField = 'NMRAZSOC'
          end
        end
        object lblSegMer: TLabel
          Left = 8
          Top = 89
          Width = 120
          Height = 16
          Caption = 'Segmento de Mercado'
          FocusControl = dbeCdSegMer
        end
        object dbeCdSegMer: TDBEdit
          OnChange = dbeCdSegMerChange
          OnExit = dbeCdSegMerExit
          Left = 136
          Top = 86
          Width = 50
          Height = 21
          TabOrder = 2
          DataSource = dtsPadrao
          DataField = 'CDSEGMER'
        end
        object btpSegMerc: TBtnPesquisa
          OnBeforePesq = btpSegMercBeforePesq
          OnAfterPesq = btpSegMercAfterPesq
          Left = 190
          Top = 86
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Segmento de Mercado'
          EmptyError = 'Não há segmento de mercado cadastrado'
          Associate = dbeCdSegMer
          DataSource = dtsSegMer
        end
        object dbeNmSegMer: TDBEdit
          Left = 216
          Top = 86
          Width = 300
          Height = 21
          DataSource = dtsPadrao
          DataField = 'DSSEGMER'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblData: TLabel
          Left = 8
          Top = 115
          Width = 120
          Height = 16
          Caption = 'Data'
          FocusControl = dbdData
        end
        object dbdData: TDBDateEditPlus
          OnChange = dbdDataChange
          OnExit = dbdDataExit
          Left = 136
          Top = 112
          Width = 90
          Height = 21
          TabOrder = 3
          Color = clInfoBk
          SaveTime = True
          ValidDateColor = clBlue
          DataSource = dtsPadrao
          DataField = 'DTOCORRMOV'
          DayNames.Strings = (
            'Domingo'
            'Segunda'
            'Terça'
            'Quarta'
            'Quinta'
            'Sexta'
            'Sábado')
        end
        object medHora: TMaskEdit
          OnKeyDown = medHoraKeyDown
          OnKeyPress = medHoraKeyPress
          OnChange = medHoraChange
          OnExit = medHoraExit
          Left = 232
          Top = 112
          Width = 44
          Height = 21
          TabOrder = 4
          Color = clInfoBk
          EditMask = '99:99;1; '
          MaxLength = 5
        end
        object lblRespIden: TLabel
          Left = 8
          Top = 141
          Width = 120
          Height = 16
          Caption = 'Resp. Identificação'
          FocusControl = dbeRespIden
        end
        object dbeRespIden: TDBEdit
          Left = 136
          Top = 138
          Width = 240
          Height = 21
          TabOrder = 5
          DataSource = dtsPadrao
          DataField = 'NMPESSIDETOC'
          Color = clInfoBk
        end
        object lblAtend: TLabel
          Left = 8
          Top = 167
          Width = 120
          Height = 16
          Caption = 'Atendimento'
          FocusControl = dbeNRTAREFA
          Enabled = False
        end
        object dbeNRTAREFA: TDBEdit
          OnChange = dbeNRTAREFAChange
          OnExit = dbeNRTAREFAExit
          Left = 136
          Top = 164
          Width = 90
          Height = 21
          TabOrder = 6
          DataSource = dtsPadrao
          DataField = 'NRTAREFA'
          Enabled = False
        end
        object btpAtendimento: TBtnPesquisa
          OnBeforePesq = btpAtendimentoBeforePesq
          OnAfterPesq = btpAtendimentoAfterPesq
          Left = 230
          Top = 164
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Atendimento'
          EmptyError = 'Não há atendimento em aberto para o operador.'
          Associate = dbeNRTAREFA
          DataSource = dtsPesqAtend
          Enabled = False
        end
        object dbeNmAten: TDBEdit
          Left = 256
          Top = 164
          Width = 340
          Height = 21
          DataSource = dtsPadrao
          DataField = 'DSREFETAREFA'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblGrupoOcorr: TLabel
          Left = 8
          Top = 193
          Width = 120
          Height = 16
          Caption = 'Grupo de Ocorrência'
          FocusControl = dbeCdGrupOcorr
        end
        object dbeCdGrupOcorr: TDBEdit
          OnChange = dbeCdGrupOcorrChange
          OnExit = dbeCdGrupOcorrExit
          Left = 136
          Top = 190
          Width = 40
          Height = 21
          TabOrder = 7
          DataSource = dtsPadrao
          DataField = 'CDGRPOCOR'
        end
        object btpGrupoOcorr: TBtnPesquisa
          OnBeforePesq = btpGrupoOcorrBeforePesq
          OnAfterPesq = btpGrupoOcorrAfterPesq
          Left = 180
          Top = 190
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Grupo de Ocorrência'
          EmptyError = 'Não há grupo de ocorrência cadastrado.'
          Associate = dbeCdGrupOcorr
          DataSource = dtsGrupoOcorr
        end
        object dbeDsGrupOcorr: TDBEdit
          Left = 206
          Top = 190
          Width = 300
          Height = 21
          DataSource = dtsPadrao
          DataField = 'DSGRPOCOR'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblTipoOcorr: TLabel
          Left = 8
          Top = 219
          Width = 120
          Height = 16
          Caption = 'Tipo de Ocorrência'
          FocusControl = dbeCdTipOcorr
        end
        object dbeCdTipOcorr: TDBEdit
          OnChange = dbeCdTipOcorrChange
          OnExit = dbeCdTipOcorrExit
          Left = 136
          Top = 216
          Width = 40
          Height = 21
          TabOrder = 8
          DataSource = dtsPadrao
          DataField = 'CDOCORR'
        end
        object btpTipoOcorr: TBtnPesquisa
          OnBeforePesq = btpTipoOcorrBeforePesq
          OnAfterPesq = btpTipoOcorrAfterPesq
          Left = 180
          Top = 216
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Tipo de Ocorrência'
          EmptyError = 'Não há tipo de ocorrência cadastrada para o grupo de ocorrência informado.'
          Associate = dbeCdTipOcorr
          DataSource = dtsTipoOcorr
        end
        object dbeDsTipOcorr: TDBEdit
          Left = 206
          Top = 216
          Width = 300
          Height = 21
          DataSource = dtsPadrao
          DataField = 'DSOCORR'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblDescSum: TLabel
          Left = 8
          Top = 245
          Width = 120
          Height = 16
          Caption = 'Descrição Sumária'
          FocusControl = dbeDescSum
        end
        object dbeDescSum: TDBEdit
          Left = 136
          Top = 242
          Width = 240
          Height = 21
          TabOrder = 9
          DataSource = dtsPadrao
          DataField = 'DSSUMARIAOC'
        end
        object lblProduto: TLabel
          Left = 8
          Top = 271
          Width = 120
          Height = 16
          Caption = 'Produto'
          FocusControl = dbeCdProduto
        end
        object dbeCdProduto: TDBEdit
          OnChange = dbeCdProdutoChange
          OnExit = dbeCdProdutoExit
          Left = 136
          Top = 268
          Width = 120
          Height = 21
          TabOrder = 10
          DataSource = dtsPadrao
          DataField = 'CDARVPROD'
        end
        object btpProduto: TBtnPesquisa
          OnAfterPesq = btpProdutoAfterPesq
          Left = 260
          Top = 268
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Produto'
          EmptyError = 'Não há produto cadastrado.'
          Associate = dbeCdProduto
          DataSource = dtsProduto
          FieldNivel = 'CDNVPRODUTO'
          FieldCodigo = 'CDPRODUTO'
          FieldNome = 'NMPRODUTO'
          PesqChave = True
        end
        object dbeNmProduto: TDBEdit
          Left = 286
          Top = 268
          Width = 310
          Height = 21
          DataSource = dtsPadrao
          DataField = 'NMPRODUTO'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblSerie: TLabel
          Left = 8
          Top = 297
          Width = 120
          Height = 16
          Caption = 'Série NF'
          FocusControl = dbeSerie
        end
        object dbeSerie: TDBEdit
          OnChange = dbeSerieChange
          OnExit = dbeSerieExit
          Left = 136
          Top = 294
          Width = 50
          Height = 21
          TabOrder = 11
          DataSource = dtsPadrao
          DataField = 'CDSERIEENTR'
        end
        object btpSerie: TBtnPesquisa
          OnBeforePesq = btpSerieBeforePesq
          OnAfterPesq = btpSerieAfterPesq
          Left = 190
          Top = 294
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Série da NF'
          EmptyError = 'Não há série da NF cadastrada.'
          Associate = dbeSerie
          DataSource = dtsSerie
        end
        object lblNotaFiscal: TLabel
          Left = 230
          Top = 297
          Width = 120
          Height = 16
          Caption = 'Nº da NF'
          FocusControl = dbeNotaFiscal
        end
        object dbeNotaFiscal: TDBEdit
          OnExit = dbeNotaFiscalExit
          Left = 300
          Top = 294
          Width = 80
          Height = 21
          TabOrder = 12
          DataSource = dtsPadrao
          DataField = 'NRNOTAFISC'
        end
        object btpNotaFiscal: TBtnPesquisa
          OnBeforePesq = btpNotaFiscalBeforePesq
          OnAfterPesq = btpNotaFiscalAfterPesq
          Left = 384
          Top = 294
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Nota Fiscal'
          EmptyError = 'Não há nota fiscal cadastrada para a série informada.'
          Associate = dbeNotaFiscal
          DataSource = dtsNotaFiscal
        end
        object lblLote: TLabel
          Left = 8
          Top = 323
          Width = 120
          Height = 16
          Caption = 'Lote/Sub-Lote'
          FocusControl = dbeLote
        end
        object dbeLote: TDBEdit
          OnChange = dbeLoteChange
          OnExit = dbeLoteExit
          Left = 136
          Top = 320
          Width = 140
          Height = 21
          TabOrder = 13
          DataSource = dtsPadrao
          DataField = 'NRLOTEESTQ'
        end
        object btpLote: TBtnPesquisa
          OnBeforePesq = btpLoteBeforePesq
          OnAfterPesq = btpLoteAfterPesq
          Left = 280
          Top = 320
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Lote'
          EmptyError = 'Não há lote cadastrado para o produto informado.'
          Associate = dbeLote
          DataSource = dtsLote
        end
        object dbeSubLote: TDBEdit
          OnExit = dbeSubLoteExit
          OnKeyDown = dbeSubLoteKeyDown
          Left = 306
          Top = 320
          Width = 50
          Height = 21
          TabOrder = 14
          DataSource = dtsPadrao
          DataField = 'NRSUBLOTE'
        end
        object lblTransportador: TLabel
          Left = 8
          Top = 349
          Width = 120
          Height = 16
          Caption = 'Transportador'
          FocusControl = dbeNrInsTran
        end
        object dbeNrInsTran: TDBEdit
          OnEnter = dbeNrInsTranEnter
          OnChange = dbeNrInsTranChange
          OnExit = dbeNrInsTranExit
          Left = 136
          Top = 346
          Width = 130
          Height = 21
          TabOrder = 15
          DataSource = dtsPadrao
          DataField = 'NRINSJURTRANS'
        end
        object btpTransportador: TBtnPesquisa
          OnBeforePesq = btpTransportadorBeforePesq
          OnAfterPesq = btpTransportadorAfterPesq
          Left = 270
          Top = 346
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Transportador'
          EmptyError = 'Não há transportador cadastrado.'
          Associate = dbeNrInsTran
          DataSource = dtsTransportador
        end
        object dbeNmTrans: TDBEdit
          Left = 296
          Top = 346
          Width = 300
          Height = 21
          DataSource = dtsPadrao
          DataField = 'NMRAZSOCTRANS'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblClass: TLabel
          Left = 8
          Top = 375
          Width = 120
          Height = 16
          Caption = 'Classificação'
          FocusControl = dbeClass
        end
        object dbeClass: TDBEdit
          Left = 136
          Top = 372
          Width = 300
          Height = 21
          TabOrder = 16
          DataSource = dtsPadrao
          DataField = 'DSCLASSOCOR'
        end
        object lblDestProd: TLabel
          Left = 8
          Top = 401
          Width = 120
          Height = 16
          Caption = 'Destino do Produto'
          FocusControl = dbeCdDestProd
        end
        object dbeCdDestProd: TDBEdit
          OnChange = dbeCdDestProdChange
          OnExit = dbeCdDestProdExit
          Left = 136
          Top = 398
          Width = 40
          Height = 21
          TabOrder = 17
          DataSource = dtsPadrao
          DataField = 'CDDESTPROD'
        end
        object btpDestProd: TBtnPesquisa
          OnBeforePesq = btpDestProdBeforePesq
          OnAfterPesq = btpDestProdAfterPesq
          Left = 180
          Top = 398
          Width = 23
          Height = 22
          Hint = 'Pesquisar'
          Title = 'Destino do Produto'
          EmptyError = 'Não há destino do produto cadastrado.'
          Associate = dbeCdDestProd
          DataSource = dtsDestProd
        end
        object dbeNmDestProd: TDBEdit
          Left = 206
          Top = 398
          Width = 300
          Height = 21
          DataSource = dtsPadrao
          DataField = 'DSDESTPROD'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object lblAutorizado: TLabel
          Left = 8
          Top = 427
          Width = 120
          Height = 16
          Caption = 'Autorizado por'
          FocusControl = dbeAutorizado
        end
        object dbeAutorizado: TDBEdit
          Left = 136
          Top = 424
          Width = 300
          Height = 21
          TabOrder = 18
          DataSource = dtsPadrao
          DataField = 'NMPESSAUTOOC'
        end
        object lblOperador: TLabel
          Left = 8
          Top = 453
          Width = 120
          Height = 16
          Caption = 'Operador'
          FocusControl = dbeCdOperador
          Enabled = False
        end
        object dbeCdOperador: TDBEdit
          Left = 136
          Top = 450
          Width = 60
          Height = 21
          TabOrder = 20
          DataSource = dtsPadrao
          DataField = 'CDOPERADOR'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
        object dbeNmOperador: TDBEdit
          Left = 200
          Top = 450
          Width = 300
          Height = 21
          DataSource = dtsPadrao
          DataField = 'NMOPERADOR'
          Color = clBtnFace
          Enabled = False
          TabStop = False
        end
      end
    end
    object tshDescricao: TTabSheet
      Caption = 'Descrição'
      object fpnDescricao: TFormatPanel
        Align = alTop
        Left = 0
        Top = 0
        Width = 764
        Height = 30
        Editor = dreDescricao
      end
      object dreDescricao: TDBRichEdit
        Align = alClient
        Left = 0
        Top = 30
        Width = 764
        Height = 396
        TabOrder = 0
        DataField = 'DSMOVOCORR'
        ReadOnly = True
      end
    end
    object tshParecer: TTabSheet
      Caption = 'Parecer'
      object fpnParecer: TFormatPanel
        Align = alTop
        Left = 0
        Top = 0
        Width = 764
        Height = 30
        Editor = dreParecer
      end
      object dreParecer: TDBRichEdit
        Align = alClient
        Left = 0
        Top = 30
        Width = 764
        Height = 396
        TabOrder = 0
        DataField = 'DSPAROCORMOV'
      end
    end
  end
  inherited mnuPrincipal: TMainMenu
    inherited mnuOperacao: TMenuItem
      inherited mnuFormulario: TMenuItem
        Caption = '&Dados da Ocorrência'
      end
      inherited mnuListagem: TMenuItem
        Enabled = False
      end
      inherited mnuConfigImpressora: TMenuItem
        Enabled = False
      end
      object mnuDescricao: TMenuItem [2]
        Caption = 'D&escrição'
        OnClick = mnuDescricaoClick
      end
      object mnuParecer: TMenuItem [3]
        Caption = '&Parecer'
        OnClick = mnuParecerClick
      end
      object mnuExportarLista: TMenuItem
        Caption = 'E&xportar lista...'
        OnClick = mnuExportarListaClick
      end
      object mnuHistorico: TMenuItem
        Caption = 'Hi&stórico...'
        OnClick = mnuHistoricoClick
      end
      object mnuTratamento: TMenuItem
        Caption = '&Tratamento...'
        OnClick = mnuTratamentoClick
      end
      object mnuAnexos: TMenuItem
        Caption = 'A&nexos...'
        OnClick = mnuAnexosClick
      end
      object mnuRelatorio: TMenuItem
        Caption = '&Relatório da ocorrência...'
        OnClick = mnuRelatorioClick
      end
    end
    inherited mnuManutencao: TMenuItem
      object mnuSepFiltrar: TMenuItem
        Caption = '-'
      end
      object mnuFiltrar: TMenuItem
        Caption = 'Filtrar'
        Hint = 'OCA00801'
        ShortCut = 'Ctrl+L'
        OnClick = mnuFiltrarClick
      end
    end
  end
  inherited dtsPadrao: TDataSource
    DataSet = cdsMovOcorr
    OnStateChange = dtsPadraoStateChange
    OnDataChange = dtsPadraoDataChange
  end
  inherited msgPadrao: TMessages
    Messages.Strings = (
      'CDFILIAL_ni|Filial deve ser informada.'
      'CDFILIAL_nc|Filial não cadastrada.'
      'CDGRPOCOR_nc|Grupo de ocorrência não cadastrado.'
      'CDPRODUTO_nc|Produto não cadastrado.'
      'CDDESTPROD_nc|Destino do produto não cadastrado.'
      'CDOCORR_ni|Tipo de ocorrência deve ser informada.'
      'CDOCORR_nc|Tipo de ocorrência não cadastrada.'
      'CPF|&Insc.(C.P.F.)'
      'JURIDICA|&Insc.(Jurídica)'
      'CODIGO|&Insc.(Código)'
      'CGC|&Insc.(C.G.C.)'
      'DATA_ni|Data deve ser informada.'
      'RESPIDEN_ni|Responsável pela identificação deve ser informado.'
      'CDGRPOCOR_ni|Grupo de ocorrência deve ser informado.'
      'CGC_ni|C.G.C. deve ser informado.'
      'INSC_ni|Jurídica deve ser informada.'
      'CODIGO_ni|Código deve ser informado.'
      'CPF_ni|C.P.F. deve ser informado.'
      'CGC_inv|C.G.C. inválido.'
      'Insc_CliForn_nc|Cliente/Forneced/Prosp não cadastrado.'
      'CPF_inv|C.P.F. inválido.'
      'HORA_inv|não é uma hora válida.'
      'FISICA|Física'
      'JURIDIC|Jurídica'
      'INSC_JURIDICA|Insc. Jurídica'
      'OUTROS|Outros'
      'DATA_inv|não é uma data válida.'
      'CliForne_Inf|Cliente/Forneced/Prosp deve ser informado.'
      'GRUPO_N_CAD|Grupo de ocorrência não cadastrado.'
      'NF_N_CAD|Nota fiscal não cadastrada para a série informada.'
      'SERIE_N_CAD|Série da NF não cadastrada para o fornecedor informado.'
      'NF_NI|Nota fiscal deve ser informada.'
      'NoOcorr|Nº Ocorrência'
      'F|Fornecedor'
      'C|Cliente'
      'SegMer_Deve|Segmento de mercado não cadastrado.'
      'Insc_Trans_nc|Transportador não cadastrado.'
      'Lote_NCad|Lote não cadastrado para o produto informado ou o parâmetro que controla a utiização de lote não está marcado.'
      'SubLote_NCad|Sub-lote não cadastrado para o lote informado.'
      'Sub_NCad|Sub-lote não cadastrado para o lote informado.'
      'Sub_Deve|Sub-lote deve ser informado.'
      'NRTA_INF|Atendimento deve ser informado.'
      'NRTA_NC|Atendimento já concluído ou não cadastrado.'
      'Per|Operador não tem permissão para alterar ocorrência.'
      'P|Prospect'
      'Fornecedor_N_Cad|Não há fornecedor cadastrado.'
      'Cliente_N_Cad|Não há cliente cadastrado.'
      'Prospect_N_Cad|Não há prospect cadastrado.'
      'Get_Lote|Carregando lote...'
      'Get_Val_Lote|Validando lote...'
      'ValidNF|Validando nota fiscal no servidor.'
      'Get_Ocor|Carregando ocorrências...'
      'Get_Parecer|Recebendo parecer da ocorrência de atendimento do servidor...'
      'Get_Desc|Recebendo descrição da ocorrência do servidor...'
      'Atua_Ocorr|Atualizando ocorrência no servidor...'
      'Del_ocorr|Excluindo ocorrência no servidor...'
      'Produto_NCad|Produto não cadastrado.'
      'Err_NF|Nº da nota fiscal não cadastrado.'
      'INCFILIAL|Filial não permite inclusão de ocorrência.'
      'Lote_Inf|Lote deve ser informado.')
  end
  object netOcorAtend: TNetConnection
    ServerName = 'OCA0080A.rdmOcorAtendimento'
    ThrowException = False
    BeforeConnect = netOcorAtendBeforeConnect
  end
  object cdsMovOcorr: TClientDataSet
    BeforePost = cdsMovOcorrBeforePost
    BeforeInsert = cdsMovOcorrBeforeInsert
    AfterInsert = cdsMovOcorrAfterInsert
    BeforeEdit = cdsMovOcorrBeforeEdit
    AfterCancel = cdsMovOcorrAfterCancel
    AfterPost = cdsMovOcorrAfterPost
    OnCalcFields = cdsMovOcorrCalcFields
    AfterScroll = cdsMovOcorrAfterScroll
    object cdsMovOcorrCDFILIAL: TStringField
      FieldName = 'CDFILIAL'
      Size = 4
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNMFILIAL: TStringField
      FieldName = 'NMFILIAL'
      Size = 30
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDFILILANCMO: TStringField
      FieldName = 'CDFILILANCMO'
      Size = 4
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNROCORRMOV: TStringField
      FieldName = 'NROCORRMOV'
      Size = 10
      DisplayLabel = 'Nº Ocorrência'
      ProviderFlags = []
    end
    object cdsMovOcorrDTOCORRMOV: TDateTimeField
      FieldName = 'DTOCORRMOV'
      DisplayLabel = 'Data '
      ProviderFlags = []
    end
    object cdsMovOcorrCDFORNECED: TStringField
      FieldName = 'CDFORNECED'
      Size = 21
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDOPERADOR: TStringField
      FieldName = 'CDOPERADOR'
      Size = 12
      EditMask = '999;0; '
      Visible = False
      ProviderFlags = []
      DisplayWidth = 14
    end
    object cdsMovOcorrNMOPERADOR: TStringField
      FieldName = 'NMOPERADOR'
      Size = 40
      DisplayLabel = 'Responsável'
      ProviderFlags = []
    end
    object cdsMovOcorrNMPESSIDETOC: TStringField
      FieldName = 'NMPESSIDETOC'
      Size = 30
      DisplayLabel = 'Responsável pela Identificação'
      ProviderFlags = []
    end
    object cdsMovOcorrCDGRPOCOR: TStringField
      FieldName = 'CDGRPOCOR'
      Size = 2
      DisplayLabel = 'Grupo de Ocorrência'
      EditMask = '99;0; '
      ProviderFlags = []
    end
    object cdsMovOcorrDSGRPOCOR: TStringField
      FieldName = 'DSGRPOCOR'
      Size = 30
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDOCORR: TStringField
      FieldName = 'CDOCORR'
      Size = 2
      DisplayLabel = 'Ocorrência'
      EditMask = '99;0; '
      ProviderFlags = []
    end
    object cdsMovOcorrDSOCORR: TStringField
      FieldName = 'DSOCORR'
      Size = 40
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrDSSUMARIAOC: TStringField
      FieldName = 'DSSUMARIAOC'
      Size = 30
      DisplayLabel = 'Descrição Sumária'
      ProviderFlags = []
    end
    object cdsMovOcorrCDPRODUTO: TStringField
      FieldName = 'CDPRODUTO'
      Size = 10
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDARVPROD: TStringField
      FieldName = 'CDARVPROD'
      Size = 20
      DisplayLabel = 'Produto'
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNMPRODUTO: TStringField
      FieldName = 'NMPRODUTO'
      Size = 50
      DisplayLabel = 'Produto'
      ProviderFlags = []
    end
    object cdsMovOcorrCDDESTPROD: TStringField
      FieldName = 'CDDESTPROD'
      Size = 2
      DisplayLabel = 'Destino do Produto'
      EditMask = '99;0; '
      ProviderFlags = []
    end
    object cdsMovOcorrDSDESTPROD: TStringField
      FieldName = 'DSDESTPROD'
      Size = 40
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNMPESSAUTOOC: TStringField
      FieldName = 'NMPESSAUTOOC'
      Size = 40
      DisplayLabel = 'Autorizado'
      ProviderFlags = []
    end
    object cdsMovOcorrCDCLIENTE: TStringField
      FieldName = 'CDCLIENTE'
      Size = 21
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDPROSPECT: TStringField
      FieldName = 'CDPROSPECT'
      Size = 21
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDSEGMER: TStringField
      FieldName = 'CDSEGMER'
      Size = 5
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrDSSEGMER: TStringField
      FieldName = 'DSSEGMER'
      Size = 40
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNRLOTEESTQ: TStringField
      FieldName = 'NRLOTEESTQ'
      Size = 20
      DisplayLabel = 'Lote'
      ProviderFlags = []
    end
    object cdsMovOcorrNRSUBLOTE: TStringField
      FieldName = 'NRSUBLOTE'
      Size = 4
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDFILIALNF: TStringField
      FieldName = 'CDFILIALNF'
      Size = 4
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNRLANCTONF: TStringField
      FieldName = 'NRLANCTONF'
      Size = 10
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDSERIEENTR: TStringField
      FieldName = 'CDSERIEENTR'
      Size = 5
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNRNOTAFISC: TStringField
      FieldName = 'NRNOTAFISC'
      Size = 20
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNRINSJUR: TStringField
      OnChange = cdsMovOcorrNRINSJURChange
      FieldName = 'NRINSJUR'
      Size = 20
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrDSCLASSOCOR: TStringField
      FieldName = 'DSCLASSOCOR'
      Size = 40
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrCDFORNTRANSP: TStringField
      FieldName = 'CDFORNTRANSP'
      Size = 21
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNMRAZSOCTRANS: TStringField
      FieldName = 'NMRAZSOCTRANS'
      Size = 40
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNRINSJURTRANS: TStringField
      FieldName = 'NRINSJURTRANS'
      Size = 20
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrIDTPIJURTRANS: TStringField
      FieldName = 'IDTPIJURTRANS'
      Size = 1
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNRTAREFA: TStringField
      FieldName = 'NRTAREFA'
      Size = 10
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrDSREFETAREFA: TStringField
      FieldName = 'DSREFETAREFA'
      Size = 100
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrNMRAZSOC: TStringField
      FieldName = 'NMRAZSOC'
      Size = 50
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrIDTPIJUR: TStringField
      FieldName = 'IDTPIJUR'
      Size = 1
      Visible = False
      ProviderFlags = []
    end
    object cdsMovOcorrTIPO: TStringField
      FieldName = 'TIPO'
      Size = 1
      Visible = False
      ProviderFlags = []
      OnGetText = cdsMovOcorrTIPOGetText
    end
    object cdsMovOcorrDTFORN: TStringField
    FieldName = 'DTFORN'
    FieldKind = fkCalculated
    Size = 80
    Visible = False
  end
  end
  object cdsParecer: TClientDataSet
    BeforePost = cdsParecerBeforePost
    AfterPost = cdsParecerAfterPost
    AfterCancel = cdsParecerAfterCancel
    object cdsParecerCDFILILANCMO: TStringField
      FieldName = 'CDFILILANCMO'
      Size = 4
    end
    object cdsParecerNROCORRMOV: TStringField
      FieldName = 'NROCORRMOV'
      Size = 10
      Visible = False
    end
    object cdsParecerDSPAROCORMOV: TMemoField
      FieldName = 'DSPAROCORMOV'
      DisplayLabel = 'Descrição do Parecer'
    end
  end
  object cdsDescMovOcorr: TClientDataSet
    BeforePost = cdsDescMovOcorrBeforePost
    AfterPost = cdsDescMovOcorrAfterPost
    object cdsDescMovOcorrCDFILILANCMO: TStringField
      FieldName = 'CDFILILANCMO'
      Size = 4
    end
    object cdsDescMovOcorrNROCORRMOV: TStringField
      FieldName = 'NROCORRMOV'
      Size = 10
    end
    object cdsDescMovOcorrDSMOVOCORR: TMemoField
      FieldName = 'DSMOVOCORR'
    end
  end
  object cdsParamFilial: TClientDataSet
    object cdsParamFilialCDFILIAL: TStringField
      FieldName = 'CDFILIAL'
      Size = 4
      Visible = False
    end
    object cdsParamFilialIDINCOCORR: TStringField
      FieldName = 'IDINCOCORR'
      Size = 1
      Visible = False
    end
    object cdsParamFilialIDBLPRCOMEST: TStringField
      FieldName = 'IDBLPRCOMEST'
      Size = 1
    end
    object cdsParamFilialIDAPURAUTQFO: TStringField
      FieldName = 'IDAPURAUTQFO'
      Size = 1
    end
  end
  object cdsHistorico: TClientDataSet
    object cdsHistoricoDTHIST: TDateTimeField
      DisplayLabel = 'Quando'
      FieldName = 'DTHIST'
    end
    object cdsHistoricoCDOPERADOR: TStringField
      DisplayLabel = 'Operador'
      FieldName = 'CDOPERADOR'
      Size = 12
    end
    object cdsHistoricoNMOPERADOR: TStringField
      DisplayLabel = 'Nome'
      FieldName = 'NMOPERADOR'
      Size = 40
    end
    object cdsHistoricoDSOPERACAO: TStringField
      DisplayLabel = 'Operação'
      FieldName = 'DSOPERACAO'
      Size = 12
    end
    object cdsHistoricoNMCAMPO: TStringField
      FieldName = 'NMCAMPO'
      Visible = False
      Size = 20
    end
    object cdsHistoricoDSCAMPO: TStringField
      DisplayLabel = 'Campo'
      FieldName = 'DSCAMPO'
      Size = 40
    end
    object cdsHistoricoDSVALORANT: TMemoField
      DisplayLabel = 'De'
      FieldName = 'DSVALORANT'
    end
    object cdsHistoricoDSVALORNOVO: TMemoField
      DisplayLabel = 'Para'
      FieldName = 'DSVALORNOVO'
    end
    object cdsHistoricoIDCHAMADA: TStringField
      FieldName = 'IDCHAMADA'
      Visible = False
      Size = 220
    end
  end
  object dtsHistorico: TDataSource
    DataSet = cdsHistorico
  end
  object cdsSysDate: TClientDataSet
    object cdsSysDateSYSDATE: TDateTimeField
      FieldName = 'SYSDATE'
    end
  end
  object cdsLote: TClientDataSet
    object cdsLoteLOTE: TStringField
      FieldName = 'LOTE'
      Size = 24
    end
    object cdsLoteNRLOTEESTQ: TStringField
      FieldName = 'NRLOTEESTQ'
      Size = 20
      DisplayWidth = 25
      DisplayLabel = 'Lote'
    end
    object cdsLoteNRSUBLOTE: TStringField
      FieldName = 'NRSUBLOTE'
      Size = 4
      DisplayLabel = 'Sub-Lote'
    end
    object cdsLoteIDUTILLOTE: TStringField
      FieldName = 'IDUTILLOTE'
      Size = 1
      Visible = False
    end
  end
  object cdsNotaFiscal: TClientDataSet
    object cdsNotaFiscalNRNOTAFISC: TStringField
      FieldName = 'NRNOTAFISC'
      Size = 20
      DisplayWidth = 12
      DisplayLabel = 'Número'
    end
    object cdsNotaFiscalCDSERIEENTR: TStringField
      FieldName = 'CDSERIEENTR'
      Size = 5
      DisplayLabel = 'Série'
    end
    object cdsNotaFiscalNMRAZSOCFORN: TStringField
      FieldName = 'NMRAZSOCFORN'
      Size = 40
      DisplayLabel = 'Fornecedor'
    end
    object cdsNotaFiscalIDTPIJURFORN: TStringField
      FieldName = 'IDTPIJURFORN'
      Size = 1
      Visible = False
    end
    object cdsNotaFiscalNRINSJURFORN: TStringField
      FieldName = 'NRINSJURFORN'
      Size = 20
      Visible = False
    end
    object cdsNotaFiscalCDFILIAL: TStringField
      FieldName = 'CDFILIAL'
      Size = 4
      Visible = False
    end
    object cdsNotaFiscalNRLANCTONF: TStringField
      FieldName = 'NRLANCTONF'
      Size = 10
      Visible = False
    end
    object cdsNotaFiscalCDFORNECED: TStringField
      FieldName = 'CDFORNECED'
      Size = 21
      Visible = False
    end
    object cdsNotaFiscalCDFILIRECE: TStringField
      FieldName = 'CDFILIRECE'
      Size = 4
      Visible = False
    end
  end
  object cdsPesqNF: TClientDataSet
    object cdsPesqNFCDFILIAL: TStringField
      FieldName = 'CDFILIAL'
      Size = 4
      ReadOnly = True
    end
    object cdsPesqNFNRLANCTONF: TStringField
      FieldName = 'NRLANCTONF'
      Size = 10
      ReadOnly = True
    end
    object cdsPesqNFCDSERIEENTR: TStringField
      FieldName = 'CDSERIEENTR'
      Size = 5
      ReadOnly = True
    end
    object cdsPesqNFNRNOTAFISC: TStringField
      FieldName = 'NRNOTAFISC'
      Size = 20
      ReadOnly = True
    end
  end
  object cdsCliFor: TClientDataSet
    ProviderName = 'dspCliFor'
    object cdsCliForNRINSJUR: TStringField
      FieldName = 'NRINSJUR'
      Size = 20
      DisplayLabel = 'Inscrição'
      OnGetText = cdsCliForNRINSJURGetText
    end
    object cdsCliForNMFANT: TStringField
      FieldName = 'NMFANT'
      Size = 50
      DisplayLabel = 'Nome Fantasia'
    end
    object cdsCliForNMRAZSOC: TStringField
      FieldName = 'NMRAZSOC'
      Size = 50
      DisplayLabel = 'Razão Social'
    end
    object cdsCliForCDCLIFORN: TStringField
      FieldName = 'CDCLIFORN'
      Size = 21
      Visible = False
    end
    object cdsCliForIDTPIJUR: TStringField
      FieldName = 'IDTPIJUR'
      Size = 1
      Visible = False
      OnGetText = cdsCliForIDTPIJURGetText
    end
    object cdsCliForCDSEGMER: TStringField
      FieldName = 'CDSEGMER'
      Size = 5
      Visible = False
    end
    object cdsCliForDSSEGMER: TStringField
      FieldName = 'DSSEGMER'
      Size = 40
      DisplayLabel = 'Segmento de Mercado'
    end
    object cdsCliForIDTIPO: TFixedStringField
      FieldName = 'IDTIPO'
      Size = 1
      DisplayWidth = 10
      DisplayLabel = 'Tipo'
      Visible = False
    end
  end
  object dspCliFor: TDataSetProvider
    DataSet = qryCliFor
  end
  object qryFilial: TADOIBQuery
    SQL.Strings = (
      'SELECT CDFILIAL, NMFILIAL'
      'FROM FILIAL'
      'WHERE (CDFILIAL = :P_CDFILIAL OR :P_TCDFILIAL = ''T'')'
      'ORDER BY CDFILIAL')
    object qryFilialCDFILIAL: TStringField
      FieldName = 'CDFILIAL'
      Size = 4
      DisplayLabel = 'Filial'
      Required = True
    end
    object qryFilialNMFILIAL: TStringField
      FieldName = 'NMFILIAL'
      Size = 30
      DisplayLabel = 'Nome'
    end
  end
  object qryGrupoOcorr: TADOIBQuery
    SQL.Strings = (
      'SELECT GRUPOCOR.CDGRPOCOR, GRUPOCOR.DSGRPOCOR'
      'FROM GRUPOCOR'
      'WHERE (CDGRPOCOR = :P_CDGRPOCOR OR :P_TODOS = ''T'')'
      'ORDER BY CDGRPOCOR')
    object qryGrupoOcorrCDGRPOCOR: TStringField
      FieldName = 'CDGRPOCOR'
      Size = 2
      DisplayLabel = 'Grupo'
    end
    object qryGrupoOcorrDSGRPOCOR: TStringField
      FieldName = 'DSGRPOCOR'
      Size = 30
      DisplayLabel = 'Descrição'
    end
  end
  object qryTipoOcorr: TADOIBQuery
    SQL.Strings = (
      'SELECT CDGRPOCOR||CDOCORR AS CHAVE, CDGRPOCOR, CDOCORR, DSOCORR'
      'FROM OCORRENCIA'
      'WHERE (CDOCORR   = :P_CDOCORR OR :P_CDTODAS = ''T'') AND'
      '(CDGRPOCOR = :P_CDGRPOCOR)'
      'ORDER BY CDOCORR')
    SQL_MSSQL.Strings = (
      'SELECT CDGRPOCOR + CDOCORR AS CHAVE, CDGRPOCOR, CDOCORR, DSOCORR'
      'FROM OCORRENCIA'
      'WHERE (CDOCORR   = :P_CDOCORR OR :P_CDTODAS = ''T'') AND'
      '(CDGRPOCOR = :P_CDGRPOCOR)'
      'ORDER BY CDOCORR')
    object qryTipoOcorrCHAVE: TStringField
      FieldName = 'CHAVE'
      Size = 4
      Visible = False
    end
    object qryTipoOcorrCDGRPOCOR: TStringField
      FieldName = 'CDGRPOCOR'
      Size = 2
      DisplayLabel = 'Grupo'
      Visible = False
    end
    object qryTipoOcorrCDOCORR: TStringField
      FieldName = 'CDOCORR'
      Size = 2
      DisplayLabel = 'Tipo'
    end
    object qryTipoOcorrDSOCORR: TStringField
      FieldName = 'DSOCORR'
      Size = 40
      DisplayLabel = 'Descrição'
    end
  end
  object qryProduto: TADOIBQuery
    SQL.Strings = (
      'SELECT CDPRODUTO, CDARVPROD, CDNVPRODUTO, NMPRODUTO'
      'FROM PRODUTO'
      'ORDER BY CDARVPROD')
    object qryProdutoCDPRODUTO: TStringField
      FieldName = 'CDPRODUTO'
      Size = 10
      Visible = False
      Required = True
    end
    object qryProdutoCDARVPROD: TStringField
      FieldName = 'CDARVPROD'
      Size = 20
      DisplayLabel = 'Código'
    end
    object qryProdutoNMPRODUTO: TStringField
      FieldName = 'NMPRODUTO'
      Size = 50
      DisplayLabel = 'Produto'
    end
    object qryProdutoCDNVPRODUTO: TStringField
      FieldName = 'CDNVPRODUTO'
      Size = 1
      Visible = False
    end
  end
  object qryVdProduto: TADOIBQuery
    SQL.Strings = (
      'SELECT CDPRODUTO, CDARVPROD, NMPRODUTO'
      'FROM PRODUTO'
      'WHERE CDARVPROD = :P_CDARVPROD')
  end
  object qryDestProd: TADOIBQuery
    SQL.Strings = (
      'SELECT CDDESTPROD, DSDESTPROD'
      'FROM DESTPROD'
      'WHERE (CDDESTPROD = :P_CDDESTPROD OR :P_CDDESTODOS =''T'')'
      'ORDER BY CDDESTPROD')
    object qryDestProdCDDESTPROD: TStringField
      FieldName = 'CDDESTPROD'
      Size = 2
      DisplayLabel = 'Destino'
    end
    object qryDestProdDSDESTPROD: TStringField
      FieldName = 'DSDESTPROD'
      Size = 40
      DisplayLabel = 'Descrição'
    end
  end
  object qrySegMer: TADOIBQuery
    SQL.Strings = (
      'SELECT CDSEGMER, DSSEGMER'
      'FROM SEGMERCADO'
      'WHERE CDSEGMER = NVL(:P_CDSEGMER, CDSEGMER)'
      'ORDER BY CDSEGMER')
    SQL_MSSQL.Strings = (
      'SELECT CDSEGMER, DSSEGMER'
      'FROM SEGMERCADO'
      'WHERE CDSEGMER = ISNULL(:P_CDSEGMER, CDSEGMER)'
      'ORDER BY CDSEGMER')
    SQL_IB.Strings = (
      'SELECT CDSEGMER, DSSEGMER'
      'FROM SEGMERCADO, PARAM(:P_CDSEGMER) P_CDSEGMER'
      'WHERE CDSEGMER = NVLSTR(P_CDSEGMER.PARAM, CDSEGMER)'
      'ORDER BY CDSEGMER')
    object qrySegMerCDSEGMER: TStringField
      FieldName = 'CDSEGMER'
      Size = 5
      DisplayLabel = 'Segmento'
    end
    object qrySegMerDSSEGMER: TStringField
      FieldName = 'DSSEGMER'
      Size = 40
      DisplayLabel = 'Descrição'
    end
  end
  object qrySerie: TADOIBQuery
    SQL.Strings = (
      'SELECT CDSERIEENTR, DSSERIEENTR'
      'FROM SERIEENTR'
      'WHERE ((CDSERIEENTR  = :P_CDSERIEENTR) OR (:P_TCDSERIEENTR = ''T''))'
      'ORDER BY CDSERIEENTR')
    object qrySerieCDSERIEENTR: TStringField
      FieldName = 'CDSERIEENTR'
      Size = 5
      DisplayLabel = 'Série'
      Required = True
    end
    object qrySerieDSSERIEENTR: TStringField
      FieldName = 'DSSERIEENTR'
      Size = 40
      DisplayLabel = 'Descrição'
    end
  end
  object qryTransportador: TADOIBQuery
    SQL.Strings = (
      'SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMFANTFORN, NMRAZSOCFORN'
      'FROM FORNECEDOR'
      'WHERE (NRINSJURFORN = :P_NRINSJURFORN OR :P_TNRINSJURFORN = ''T'')'
      'ORDER BY IDTPIJURFORN, NRINSJURFORN')
    object qryTransportadorCDFORNECED: TStringField
      FieldName = 'CDFORNECED'
      Size = 21
      Visible = False
    end
    object qryTransportadorIDTPIJURFORN: TStringField
      FieldName = 'IDTPIJURFORN'
      Size = 1
      DisplayLabel = 'Tipo'
      OnGetText = qryTransportadorIDTPIJURFORNGetText
    end
    object qryTransportadorNRINSJURFORN: TStringField
      FieldName = 'NRINSJURFORN'
      Size = 20
      DisplayLabel = 'Inscrição'
      OnGetText = qryTransportadorNRINSJURFORNGetText
    end
    object qryTransportadorNMFANTFORN: TStringField
      FieldName = 'NMFANTFORN'
      Size = 40
      DisplayLabel = 'Nome Fantasia'
    end
    object qryTransportadorNMRAZSOCFORN: TStringField
      FieldName = 'NMRAZSOCFORN'
      Size = 40
      DisplayLabel = 'Razão Social'
    end
  end
  object qryCliFor: TADOIBQuery
    SQL.Strings = (
      'SELECT CDFORNECED CDCLIFORN, IDTPIJURFORN IDTPIJUR, NRINSJURFORN NRINSJUR,'
      '       CAST(SUBSTR(NMFANTFORN, 1, 40) AS VARCHAR(40)) NMFANT, CAST(SUBSTR(NMRAZSOCFORN, 1, 40) AS VARCHAR(40)) NMRAZSOC,'
      '       F.CDSEGMER, S.DSSEGMER, ''F'' IDTIPO'
      'FROM FORNECEDOR F LEFT JOIN SEGMERCADO S ON (F.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURFORN = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''F'')'
      'UNION ALL'
      'SELECT CDCLIENTE CDCLIFORN, IDTPIJURCLIE IDTPIJUR, NRINSJURCLIE NRINSJUR,'
      '       CAST(SUBSTR(NMFANTCLIE, 1, 40) AS VARCHAR(40)) NMFANT, CAST(SUBSTR(NMRAZSOCCLIE, 1, 40) AS VARCHAR(40)) NMRAZSOC,'
      '       C.CDSEGMER, S.DSSEGMER, ''C'' IDTIPO'
      'FROM CLIENTE C LEFT JOIN SEGMERCADO S ON (C.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURCLIE = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''C'')'
      'UNION ALL'
      'SELECT CDPROSPECT CDCLIFORN, IDTPIJURPROS IDTPIJUR, NRINSJURPROS NRINSJUR,'
      '       CAST(SUBSTR(NMFANTPROS, 1, 40) AS VARCHAR(40)) NMFANT, CAST(SUBSTR(NMRAZSOCPROS, 1, 40) AS VARCHAR(40)) NMRAZSOC,'
      '       P.CDSEGMER, S.DSSEGMER, ''P'' IDTIPO'
      'FROM PROSPECT P LEFT JOIN SEGMERCADO S ON (P.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURPROS = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''P'')'
      'ORDER BY 4')
    SQL_ORACLE.Strings = (
      'SELECT CDFORNECED CDCLIFORN, IDTPIJURFORN IDTPIJUR, NRINSJURFORN NRINSJUR,'
      '       SUBSTR(NMFANTFORN, 1, 40) NMFANT, SUBSTR(NMRAZSOCFORN, 1, 40) NMRAZSOC,'
      '       F.CDSEGMER, S.DSSEGMER, ''F'' IDTIPO'
      'FROM FORNECEDOR F, SEGMERCADO S'
      'WHERE (F.CDSEGMER = S.CDSEGMER(+)) AND'
      '(NRINSJURFORN = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''F'')'
      'UNION ALL'
      'SELECT CDCLIENTE CDCLIFORN, IDTPIJURCLIE IDTPIJUR, NRINSJURCLIE NRINSJUR,'
      '       SUBSTR(NMFANTCLIE, 1, 40) NMFANT, SUBSTR(NMRAZSOCCLIE, 1, 40) NMRAZSOC,'
      '       C.CDSEGMER, S.DSSEGMER, ''C'' IDTIPO'
      'FROM CLIENTE C, SEGMERCADO S'
      'WHERE (C.CDSEGMER = S.CDSEGMER(+)) AND'
      '(NRINSJURCLIE = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''C'')'
      'UNION ALL'
      'SELECT CDPROSPECT CDCLIFORN, IDTPIJURPROS IDTPIJUR, NRINSJURPROS NRINSJUR,'
      '       SUBSTR(NMFANTPROS, 1, 40) NMFANT, SUBSTR(NMRAZSOCPROS, 1, 40) NMRAZSOC,'
      '       P.CDSEGMER, S.DSSEGMER, ''P'' IDTIPO'
      'FROM PROSPECT P, SEGMERCADO S'
      'WHERE (P.CDSEGMER = S.CDSEGMER(+)) AND'
      '(NRINSJURPROS = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''P'')'
      'ORDER BY 4')
    SQL_MSSQL.Strings = (
      'SELECT CDFORNECED CDCLIFORN, IDTPIJURFORN IDTPIJUR, NRINSJURFORN NRINSJUR,'
      '       SUBSTRING(NMFANTFORN, 1, 40) NMFANT, SUBSTRING(NMRAZSOCFORN, 1, 40) NMRAZSOC,'
      '       F.CDSEGMER, S.DSSEGMER, ''F'' IDTIPO'
      'FROM FORNECEDOR F LEFT JOIN SEGMERCADO S ON (F.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURFORN = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''F'')'
      'UNION ALL'
      'SELECT CDCLIENTE CDCLIFORN, IDTPIJURCLIE IDTPIJUR, NRINSJURCLIE NRINSJUR,'
      '       SUBSTRING(NMFANTCLIE, 1, 40) NMFANT, SUBSTRING(NMRAZSOCCLIE, 1, 40) NMRAZSOC,'
      '       C.CDSEGMER, S.DSSEGMER, ''C'' IDTIPO'
      'FROM CLIENTE C LEFT JOIN SEGMERCADO S ON (C.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURCLIE = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''C'')'
      'UNION ALL'
      'SELECT CDPROSPECT CDCLIFORN, IDTPIJURPROS IDTPIJUR, NRINSJURPROS NRINSJUR,'
      '       SUBSTRING(NMFANTPROS, 1, 40) NMFANT, SUBSTRING(NMRAZSOCPROS, 1, 40) NMRAZSOC,'
      '       P.CDSEGMER, S.DSSEGMER, ''P'' IDTIPO'
      'FROM PROSPECT P LEFT JOIN SEGMERCADO S ON (P.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURPROS = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''P'')'
      'ORDER BY 4')
    SQL_IB.Strings = (
      'SELECT CDFORNECED CDCLIFORN, IDTPIJURFORN IDTPIJUR, NRINSJURFORN NRINSJUR,'
      '       CAST(SUBSTR(NMFANTFORN, 1, 40) AS VARCHAR(40)) NMFANT, CAST(SUBSTR(NMRAZSOCFORN, 1, 40) AS VARCHAR(40)) NMRAZSOC,'
      '       F.CDSEGMER, S.DSSEGMER, ''F'' IDTIPO'
      'FROM FORNECEDOR F LEFT JOIN SEGMERCADO S ON (F.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURFORN = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''F'')'
      'UNION ALL'
      'SELECT CDCLIENTE CDCLIFORN, IDTPIJURCLIE IDTPIJUR, NRINSJURCLIE NRINSJUR,'
      '       CAST(SUBSTR(NMFANTCLIE, 1, 40) AS VARCHAR(40)) NMFANT, CAST(SUBSTR(NMRAZSOCCLIE, 1, 40) AS VARCHAR(40)) NMRAZSOC,'
      '       C.CDSEGMER, S.DSSEGMER, ''C'' IDTIPO'
      'FROM CLIENTE C LEFT JOIN SEGMERCADO S ON (C.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURCLIE = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''C'')'
      'UNION ALL'
      'SELECT CDPROSPECT CDCLIFORN, IDTPIJURPROS IDTPIJUR, NRINSJURPROS NRINSJUR,'
      '       CAST(SUBSTR(NMFANTPROS, 1, 40) AS VARCHAR(40)) NMFANT, CAST(SUBSTR(NMRAZSOCPROS, 1, 40) AS VARCHAR(40)) NMRAZSOC,'
      '       P.CDSEGMER, S.DSSEGMER, ''P'' IDTIPO'
      'FROM PROSPECT P LEFT JOIN SEGMERCADO S ON (P.CDSEGMER = S.CDSEGMER)'
      'WHERE'
      '(NRINSJURPROS = :P_NRINSJUR OR :P_TNRINSJUR = ''T'') AND'
      '(:P_IDTIPO    = ''P'')'
      'ORDER BY 4')
  end
  object qryPesqAtend: TADOIBQuery
    SQL.Strings = (
      'SELECT NRTAREFA, DSREFETAREFA'
      'FROM TAREFA  TA, PARAM(:P_NRTAREFA) P_NRTAREFA, PARAM(:P_CDOPERRESP) P_CDOPERRESP'
      'WHERE (CDFILIAL = :P_CDFILIAL) AND'
      '((INSTR(P_NRTAREFA.PARAM, NRTAREFA) <> 0) OR (:P_TNRTAREFA = ''T'')) AND'
      '(IDSITTAREFA = ''A'') AND'
      '(CDOPERRESP = NVLSTR(P_CDOPERRESP.PARAM, CDOPERRESP))'
      'ORDER BY NRTAREFA')
    SQL_ORACLE.Strings = (
      'SELECT NRTAREFA, DSREFETAREFA'
      'FROM TAREFA  TA'
      'WHERE (CDFILIAL = :P_CDFILIAL) AND'
      '((INSTR(:P_NRTAREFA, NRTAREFA) <> 0) OR (:P_TNRTAREFA = ''T'')) AND'
      '(IDSITTAREFA = ''A'') AND'
      '(CDOPERRESP = NVL(:P_CDOPERRESP, CDOPERRESP))'
      'ORDER BY NRTAREFA')
    SQL_MSSQL.Strings = (
      'SELECT NRTAREFA, DSREFETAREFA'
      'FROM TAREFA  TA'
      'WHERE (CDFILIAL = :P_CDFILIAL) AND'
      '((CHARINDEX(NRTAREFA, :P_NRTAREFA) <> 0) OR (:P_TNRTAREFA = ''T'')) AND'
      '(IDSITTAREFA = ''A'') AND'
      '(CDOPERRESP = ISNULL(:P_CDOPERRESP, CDOPERRESP))'
      'ORDER BY NRTAREFA')
    object qryPesqAtendNRTAREFA: TStringField
      FieldName = 'NRTAREFA'
      Size = 10
      DisplayLabel = 'Atendimento'
    end
    object qryPesqAtendDSREFETAREFA: TStringField
      FieldName = 'DSREFETAREFA'
      Size = 100
      DisplayLabel = 'Referência'
    end
  end
  object dtsParecer: TDataSource
    OnStateChange = dtsParecerStateChange
    DataSet = cdsParecer
  end
  object dtsDescMovOcorr: TDataSource
    OnStateChange = dtsDescMovOcorrStateChange
    DataSet = cdsDescMovOcorr
  end
  object dtsCliFor: TDataSource
    DataSet = cdsCliFor
  end
  object dtsLote: TDataSource
    DataSet = cdsLote
  end
  object dtsNotaFiscal: TDataSource
    DataSet = cdsNotaFiscal
  end
  object dtsPesqNF: TDataSource
    DataSet = cdsPesqNF
  end
  object dtsFilial: TDataSource
    DataSet = qryFilial
  end
  object dtsGrupoOcorr: TDataSource
    DataSet = qryGrupoOcorr
  end
  object dtsTipoOcorr: TDataSource
    DataSet = qryTipoOcorr
  end
  object dtsProduto: TDataSource
    DataSet = qryProduto
  end
  object dtsDestProd: TDataSource
    DataSet = qryDestProd
  end
  object dtsSegMer: TDataSource
    DataSet = qrySegMer
  end
  object dtsSerie: TDataSource
    DataSet = qrySerie
  end
  object dtsTransportador: TDataSource
    DataSet = qryTransportador
  end
  object dtsPesqAtend: TDataSource
    DataSet = qryPesqAtend
  end
end
