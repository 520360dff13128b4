// Occurrence filter screen: criteria, period, searches, load parameters and catalog.
inherited frmFiltroOcorAte: TfrmFiltroOcorAte
  Caption = 'Filtro de Ocorrências de Atendimento com Qualificação Automática de Fornecedores'
  OnCreate = FormCreate
  OnActivate = FormActivate
  OnClose = FormClose
  inherited lblCodTela: TLabel
    Caption = 'OCA00801'
  end
  inherited sbtConfirma: TSpeedButton
    OnClick = sbtConfirmaClick
  end
  inherited btfSaveOpc: TOptionButton
    OnClick = btfSaveOpcClick
  end
  inherited btfLoadOpc: TOptionButton
    OnClick = btfLoadOpcClick
  end
  inherited grbFiltroPadrao: TGroupBox
    object grpFilial: TGroupBox
      Left = 8
      Top = 8
      Width = 580
      Height = 44
      Caption = 'Filial'
      TabOrder = 0
      object rbtFiliTodos: TRadioButton
        Left = 8
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Todos'
        Checked = True
        TabOrder = 0
        OnClick = rbtFiliTodosClick
      end
      object rbtFiliLista: TRadioButton
        Left = 90
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Lista'
        TabOrder = 1
        OnClick = rbtFiliListaClick
      end
      object btpFilial: TBtnPesquisa
        Left = 170
        Top = 16
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
    object grpGrupOcor: TGroupBox
      Left = 8
      Top = 58
      Width = 580
      Height = 44
      Caption = 'Gp. de Ocorrência'
      TabOrder = 1
      object rbtGOcorTodos: TRadioButton
        Left = 8
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Todos'
        Checked = True
        TabOrder = 0
        OnClick = rbtGOcorTodosClick
      end
      object rbtGOcorLista: TRadioButton
        Left = 90
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Lista'
        TabOrder = 1
        OnClick = rbtGOcorListaClick
      end
      object btpGOcor: TBtnPesquisa
        Left = 170
        Top = 16
        Width = 23
        Height = 22
        Hint = 'Pesquisar'
        Enabled = False
        Title = 'Grupo de Ocorrência'
        EmptyError = 'Não há grupo de ocorrência cadastrado.'
        DataSource = dtsGpOcor
        Associate = rbtGOcorLista
        OnClick = btpGOcorClick
      end
    end
    object grpSegmento: TGroupBox
      Left = 8
      Top = 108
      Width = 580
      Height = 44
      Caption = 'Segmento'
      TabOrder = 2
      object rbtSegTodos: TRadioButton
        Left = 8
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Todos'
        Checked = True
        TabOrder = 0
        OnClick = rbtSegTodosClick
      end
      object rbtSegLista: TRadioButton
        Left = 90
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Lista'
        TabOrder = 1
        OnClick = rbtSegListaClick
      end
      object btpSegMercado: TBtnPesquisa
        Left = 170
        Top = 16
        Width = 23
        Height = 22
        Hint = 'Pesquisar'
        Enabled = False
        Title = 'Segmento de Mercado'
        EmptyError = 'Não há segmento de mercado cadastrado.'
        DataSource = dtsSegmento
        Associate = rbtSegLista
        OnClick = btpSegMercadoClick
      end
    end
    object grbAtendimento: TGroupBox
      Left = 8
      Top = 158
      Width = 580
      Height = 44
      Caption = 'Atendimento'
      TabOrder = 3
      object rbtAtendTodos: TRadioButton
        Left = 8
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Todos'
        Checked = True
        TabOrder = 0
        OnClick = rbtAtendTodosClick
      end
      object rbtAtendLista: TRadioButton
        Left = 90
        Top = 18
        Width = 70
        Height = 17
        Caption = 'Lista'
        TabOrder = 1
        OnClick = rbtAtendListaClick
      end
      object btpAtendimento: TBtnPesquisa
        Left = 170
        Top = 16
        Width = 23
        Height = 22
        Hint = 'Pesquisar'
        Enabled = False
        Title = 'Atendimento'
        EmptyError = 'Não há atendimento em aberto para o operador.'
        DataSource = dtsAtendimento
        Associate = rbtAtendLista
        OnClick = btpAtendimentoClick
      end
    end
    object grbClPrFo: TGroupBox
      Left = 8
      Top = 208
      Width = 580
      Height = 70
      Caption = 'Cliente/Forneced/Prosp'
      TabOrder = 4
      object chkForn: TCheckBox
        Left = 8
        Top = 18
        Width = 100
        Height = 17
        Caption = 'Fornecedor'
        Checked = True
        TabOrder = 0
      end
      object chkCliente: TCheckBox
        Left = 118
        Top = 18
        Width = 100
        Height = 17
        Caption = 'Cliente'
        Checked = True
        TabOrder = 1
      end
      object chkProspect: TCheckBox
        Left = 228
        Top = 18
        Width = 100
        Height = 17
        Caption = 'Prospect'
        Checked = True
        TabOrder = 2
      end
      object rbtCPFTodos: TRadioButton
        Left = 8
        Top = 44
        Width = 70
        Height = 17
        Caption = 'Todos'
        Checked = True
        TabOrder = 3
        OnClick = rbtCPFTodosClick
      end
      object rbtCPFLista: TRadioButton
        Left = 90
        Top = 44
        Width = 70
        Height = 17
        Caption = 'Lista'
        TabOrder = 4
        OnClick = rbtCPFListaClick
      end
      object btpCPF: TBtnPesquisa
        Left = 170
        Top = 42
        Width = 23
        Height = 22
        Hint = 'Pesquisar'
        Enabled = False
        Title = 'Cliente/Fornecedor/Prospect'
        EmptyError = 'Não há cliente/fornecedor/prospect cadastrado.'
        DataSource = dtsCPF
        Associate = rbtCPFLista
        OnClick = btpCPFClick
      end
    end
    object grpData: TGroupBox
      Left = 8
      Top = 284
      Width = 580
      Height = 48
      Caption = 'Período'
      TabOrder = 5
      object lblPerIni: TLabel
        Left = 8
        Top = 20
        Width = 24
        Height = 16
        Caption = 'de'
        FocusControl = depPerIni
      end
      object depPerIni: TDateEditPlus
        Left = 40
        Top = 18
        Width = 100
        Height = 21
        TabOrder = 0
        Color = clInfoBk
        ValidDateColor = clBlue
        OnExit = depPerIniExit
        DayNames.Strings = (
          'Domingo'
          'Segunda'
          'Terça'
          'Quarta'
          'Quinta'
          'Sexta'
          'Sábado')
      end
      object lblPerFin: TLabel
        Left = 208
        Top = 20
        Width = 24
        Height = 16
        Caption = 'até'
        FocusControl = depPerFin
      end
      object depPerFin: TDateEditPlus
        Left = 240
        Top = 18
        Width = 100
        Height = 21
        TabOrder = 1
        Color = clInfoBk
        ValidDateColor = clBlue
        OnExit = depPerFinExit
        DayNames.Strings = (
          'Domingo'
          'Segunda'
          'Terça'
          'Quarta'
          'Quinta'
          'Sexta'
          'Sábado')
      end
    end
  end
  inherited msgPadrao: TMessages
    Messages.Strings = (
      'Filial|Filial'
      'GrupOcor|Grupo de Ocorrência'
      'SegMerc|Segmento de Mercado'
      'Filial_Deve|Filial deve ser informada.'
      'Grup_Deve|Grupo de ocorrência deve ser informado.'
      'Seg_Deve|Segmento deve ser informado.'
      'DtIni_Deve|Período inicial deve ser informado.'
      'DtFin_Deve|Período final deve ser informado.'
      'DtIni<DtFin|Data inicial deve ser menor ou igual a data final.'
      'CPF|Cliente/Fornecedor/Prospect'
      'Atend_INF|Atendimento deve ser informado.'
      'CPF_INF|Cliente/Forneced/Prosp deve ser informado.'
      'Atendimento|Atendimento'
      'C|Cliente'
      'F|Fornecedor'
      'P|Prospect'
      'NCad_ForCliePro|Não há %s cadastrado.'
      'Cli|cliente'
      'For|fornecedor'
      'Pro|prospect')
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
  object qryGpOcor: TADOIBQuery
    SQL.Strings = (
      'SELECT CDGRPOCOR, DSGRPOCOR FROM GRUPOCOR ORDER BY CDGRPOCOR')
    object qryGpOcorCDGRPOCOR: TStringField
      FieldName = 'CDGRPOCOR'
      Size = 2
      DisplayLabel = 'Código'
    end
    object qryGpOcorDSGRPOCOR: TStringField
      FieldName = 'DSGRPOCOR'
      Size = 30
      DisplayLabel = 'Descrição'
    end
  end
  object qrySegmento: TADOIBQuery
    SQL.Strings = (
      'SELECT CDSEGMER, DSSEGMER FROM SEGMERCADO ORDER BY CDSEGMER')
    object qrySegmentoCDSEGMER: TStringField
      FieldName = 'CDSEGMER'
      Size = 5
      DisplayLabel = 'Código'
    end
    object qrySegmentoDSSEGMER: TStringField
      FieldName = 'DSSEGMER'
      Size = 40
      DisplayLabel = 'Descrição'
    end
  end
  object qryAtendimento: TADOIBQuery
    SQL.Strings = (
      'SELECT NRTAREFA, DSREFETAREFA, IDTIPTAREFA FROM TAREFA ORDER BY NRTAREFA')
    object qryAtendimentoNRTAREFA: TStringField
      FieldName = 'NRTAREFA'
      Size = 10
      DisplayLabel = 'Nº'
    end
    object qryAtendimentoDSREFETAREFA: TStringField
      FieldName = 'DSREFETAREFA'
      Size = 100
      DisplayLabel = 'Referência'
    end
    object qryAtendimentoIDTIPTAREFA: TStringField
      FieldName = 'IDTIPTAREFA'
      Size = 1
      DisplayLabel = 'Tipo'
      Visible = False
      OnGetText = qryAtendimentoIDTIPTAREFAGetText
    end
  end
  object qryCPF: TADOIBQuery
    SQL.Strings = (
      'SELECT ''C'' || CDCLIENTE CHAVE, CDCLIENTE CDCLIENTE, CAST(SUBSTR(NMFANTCLIE, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''C'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURCLIE IDJUR, NRINSJURCLIE NRINSJUR'
      'FROM CLIENTE WHERE :P_IDCLIENTE = ''S'''
      'UNION ALL'
      'SELECT ''F'' || CDFORNECED CHAVE, CDFORNECED CDCLIENTE, CAST(SUBSTR(NMFANTFORN, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''F'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURFORN IDJUR, NRINSJURFORN NRINSJUR'
      'FROM FORNECEDOR WHERE :P_IDFORN = ''S'''
      'UNION ALL'
      'SELECT ''P'' || CDPROSPECT CHAVE, CDPROSPECT CDCLIENTE, CAST(SUBSTR(NMFANTPROS, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''P'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURPROS IDJUR, NRINSJURPROS NRINSJUR'
      'FROM PROSPECT WHERE :P_IDPROSP = ''S'''
      'ORDER BY 3')
    SQL_ORACLE.Strings = (
      'SELECT ''C'' || CDCLIENTE CHAVE, CDCLIENTE CDCLIENTE, CAST(SUBSTR(NMFANTCLIE, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''C'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURCLIE IDJUR, NRINSJURCLIE NRINSJUR'
      'FROM CLIENTE WHERE :P_IDCLIENTE = ''S'''
      'UNION ALL'
      'SELECT ''F'' || CDFORNECED CHAVE, CDFORNECED CDCLIENTE, CAST(SUBSTR(NMFANTFORN, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''F'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURFORN IDJUR, NRINSJURFORN NRINSJUR'
      'FROM FORNECEDOR WHERE :P_IDFORN = ''S'''
      'UNION ALL'
      'SELECT ''P'' || CDPROSPECT CHAVE, CDPROSPECT CDCLIENTE, CAST(SUBSTR(NMFANTPROS, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''P'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURPROS IDJUR, NRINSJURPROS NRINSJUR'
      'FROM PROSPECT WHERE :P_IDPROSP = ''S'''
      'ORDER BY 3')
    SQL_MSSQL.Strings = (
      'SELECT ''C'' + CDCLIENTE CHAVE, CDCLIENTE CDCLIENTE, SUBSTRING(NMFANTCLIE, 1, 40) NMFANTCLIE,'
      '       ''C'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURCLIE IDJUR, NRINSJURCLIE NRINSJUR'
      'FROM CLIENTE WHERE :P_IDCLIENTE = ''S'''
      'UNION ALL'
      'SELECT ''F'' + CDFORNECED CHAVE, CDFORNECED CDCLIENTE, SUBSTRING(NMFANTFORN, 1, 40) NMFANTCLIE,'
      '       ''F'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURFORN IDJUR, NRINSJURFORN NRINSJUR'
      'FROM FORNECEDOR WHERE :P_IDFORN = ''S'''
      'UNION ALL'
      'SELECT ''P'' + CDPROSPECT CHAVE, CDPROSPECT CDCLIENTE, SUBSTRING(NMFANTPROS, 1, 40) NMFANTCLIE,'
      '       ''P'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURPROS IDJUR, NRINSJURPROS NRINSJUR'
      'FROM PROSPECT WHERE :P_IDPROSP = ''S'''
      'ORDER BY 3')
    SQL_IB.Strings = (
      'SELECT ''C'' || CDCLIENTE CHAVE, CDCLIENTE CDCLIENTE, CAST(SUBSTR(NMFANTCLIE, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''C'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURCLIE IDJUR, NRINSJURCLIE NRINSJUR'
      'FROM CLIENTE WHERE :P_IDCLIENTE = ''S'''
      'UNION ALL'
      'SELECT ''F'' || CDFORNECED CHAVE, CDFORNECED CDCLIENTE, CAST(SUBSTR(NMFANTFORN, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''F'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURFORN IDJUR, NRINSJURFORN NRINSJUR'
      'FROM FORNECEDOR WHERE :P_IDFORN = ''S'''
      'UNION ALL'
      'SELECT ''P'' || CDPROSPECT CHAVE, CDPROSPECT CDCLIENTE, CAST(SUBSTR(NMFANTPROS, 1, 40) AS VARCHAR(40)) NMFANTCLIE,'
      '       ''P'' IDTPCONTATO, ''N'' IDMARCADO, IDTPIJURPROS IDJUR, NRINSJURPROS NRINSJUR'
      'FROM PROSPECT WHERE :P_IDPROSP = ''S'''
      'ORDER BY 3')
    object qryCPFIDMARCADO: TStringField
      FieldName = 'IDMARCADO'
      Size = 1
    end
    object qryCPFCHAVE: TStringField
      FieldName = 'CHAVE'
      Size = 22
      Visible = False
    end
    object qryCPFIDTPCONTATO: TFixedStringField
      FieldName = 'IDTPCONTATO'
      Size = 1
      DisplayLabel = 'Tipo'
    end
    object qryCPFCDCLIENTE: TStringField
      FieldName = 'CDCLIENTE'
      Size = 21
      DisplayLabel = 'Código'
    end
    object qryCPFNMFANTCLIE: TStringField
      FieldName = 'NMFANTCLIE'
      Size = 40
      DisplayLabel = 'Nome Fantasia'
    end
    object qryCPFIDJUR: TStringField
      FieldName = 'IDJUR'
      Size = 1
    end
    object qryCPFNRINSJUR: TStringField
      FieldName = 'NRINSJUR'
      Size = 20
    end
  end
  object dspCpf: TDataSetProvider
    DataSet = qryCPF
  end
  object cdsCpf: TClientDataSet
    ProviderName = 'dspCpf'
    object cdsCpfIDMARCADO: TStringField
      FieldName = 'IDMARCADO'
      Size = 1
      Visible = False
    end
    object cdsCpfCHAVE: TStringField
      FieldName = 'CHAVE'
      Size = 22
      Visible = False
    end
    object cdsCpfIDTPCONTATO: TFixedStringField
      FieldName = 'IDTPCONTATO'
      Size = 1
      DisplayLabel = 'Tipo'
      OnGetText = cdsCpfIDTPCONTATOGetText
    end
    object cdsCpfNRINSJUR: TStringField
      FieldName = 'NRINSJUR'
      Size = 20
      DisplayLabel = 'Inscrição'
      OnGetText = cdsCpfNRINSJURGetText
    end
    object cdsCpfCDCLIENTE: TStringField
      FieldName = 'CDCLIENTE'
      Size = 21
      DisplayLabel = 'Código'
      Visible = False
    end
    object cdsCpfNMFANTCLIE: TStringField
      FieldName = 'NMFANTCLIE'
      Size = 50
      DisplayLabel = 'Nome'
    end
    object cdsCpfIDJUR: TStringField
      FieldName = 'IDJUR'
      Size = 1
      Visible = False
    end
  end
  object qryParams: TADOIBQuery
    Params = <
      item
        Name = 'P_CDFILIAL'
        DataType = ftString
      end
      item
        Name = 'P_CDGRUPOCOR'
        DataType = ftString
      end
      item
        Name = 'P_CDSEGMER'
        DataType = ftString
      end
      item
        Name = 'P_NRTAREFA'
        DataType = ftString
      end
      item
        Name = 'P_CDCLIENTE'
        DataType = ftString
      end
      item
        Name = 'P_CDPROSPECT'
        DataType = ftString
      end
      item
        Name = 'P_CDFORNECED'
        DataType = ftString
      end
      item
        Name = 'P_TCDFILIAL'
        DataType = ftString
      end
      item
        Name = 'P_TCDGRUPOCOR'
        DataType = ftString
      end
      item
        Name = 'P_TCDSEGMER'
        DataType = ftString
      end
      item
        Name = 'P_DTINICIAL'
        DataType = ftDateTime
      end
      item
        Name = 'P_DTFINAL'
        DataType = ftDateTime
      end
      item
        Name = 'P_TNRTAREFA'
        DataType = ftString
      end>
    SQL.Strings = (
      'SELECT M.CDFILIAL, M.CDFILILANCMO, M.CDFORNECED, M.CDCLIENTE, M.CDPROSPECT, M.DTOCORRMOV,'
      '       M.NROCORRMOV, M.NMPESSIDETOC, M.CDOPERADOR, M.CDGRPOCOR, M.CDOCORR, M.CDPRODUTO,'
      '       M.CDDESTPROD, M.CDSEGMER, M.NRLOTEESTQ, M.NRSUBLOTE, M.NMPESSAUTOOC, M.DSSUMARIAOC,'
      '       M.CDFILIALNF, M.NRLANCTONF, M.DSCLASSOCOR, M.CDFORNTRANSP, M.NRTAREFA,'
      '       FI.NMFILIAL, O.NMOPERADOR, G.DSGRPOCOR, OC.DSOCORR, P.NMPRODUTO, D.DSDESTPROD,'
      '       S.DSSEGMER, P.CDARVPROD, NF.CDSERIEENTR, NF.NRNOTAFISC, TA.DSREFETAREFA,'
      '       FT.NMRAZSOCFORN NMRAZSOCTRANS, FT.NRINSJURFORN NRINSJURTRANS, FT.IDTPIJURFORN IDTPIJURTRANS,'
      '       NVLSTR(F.NRINSJURFORN, NVLSTR(C.NRINSJURCLIE, PR.NRINSJURPROS)) NRINSJUR,'
      '       NVLSTR(F.NMRAZSOCFORN, NVLSTR(C.NMRAZSOCCLIE, PR.NMRAZSOCPROS)) NMRAZSOC,'
      '       NVLSTR(F.IDTPIJURFORN, NVLSTR(C.IDTPIJURCLIE, PR.IDTPIJURPROS)) IDTPIJUR,'
      '       CASE WHEN F.NRINSJURFORN IS NOT NULL THEN ''F'' WHEN C.NRINSJURCLIE IS NOT NULL THEN ''C'' ELSE ''P'' END TIPO'
      'FROM MOVOCORR M'
      '     INNER JOIN FILIAL FI ON (FI.CDFILIAL = M.CDFILIAL)'
      '     INNER JOIN OPERADOR O ON (O.CDOPERADOR = M.CDOPERADOR)'
      '     LEFT OUTER JOIN NOTAFISCAL NF ON (NF.CDFILIAL = M.CDFILIALNF AND NF.NRLANCTONF = M.NRLANCTONF)'
      '     LEFT OUTER JOIN FORNECEDOR F ON (F.CDFORNECED = M.CDFORNECED)'
      '     LEFT OUTER JOIN CLIENTE C ON (C.CDCLIENTE = M.CDCLIENTE)'
      '     LEFT OUTER JOIN PROSPECT PR ON (PR.CDPROSPECT = M.CDPROSPECT)'
      '     LEFT OUTER JOIN SEGMERCADO S ON (S.CDSEGMER = M.CDSEGMER)'
      '     LEFT OUTER JOIN FORNECEDOR FT ON (FT.CDFORNECED = M.CDFORNTRANSP)'
      '     LEFT OUTER JOIN OCORRENCIA OC ON (OC.CDGRPOCOR = M.CDGRPOCOR AND OC.CDOCORR = M.CDOCORR)'
      '     LEFT OUTER JOIN GRUPOCOR G ON (G.CDGRPOCOR = M.CDGRPOCOR)'
      '     LEFT OUTER JOIN PRODUTO P ON (P.CDPRODUTO = M.CDPRODUTO)'
      '     LEFT OUTER JOIN DESTPROD D ON (D.CDDESTPROD = M.CDDESTPROD)'
      '     LEFT OUTER JOIN TAREFA TA ON (TA.NRTAREFA = M.NRTAREFA),'
      '     PARAM(:P_CDFILIAL) P_CDFILIAL, PARAM(:P_CDGRUPOCOR) P_CDGRUPOCOR,'
      '     PARAM(:P_CDSEGMER) P_CDSEGMER, PARAM(:P_NRTAREFA) P_NRTAREFA'
      'WHERE ((INSTR(P_CDFILIAL.PARAM, M.CDFILIAL) <> 0) OR (:P_TCDFILIAL = ''T'')) AND'
      '      ((INSTR(P_CDGRUPOCOR.PARAM, M.CDGRPOCOR) <> 0) OR (:P_TCDGRUPOCOR = ''T'')) AND'
      '      ((INSTR(P_CDSEGMER.PARAM, M.CDSEGMER) <> 0) OR (:P_TCDSEGMER = ''T'')) AND'
      '      ((INSTR(P_NRTAREFA.PARAM, M.NRTAREFA) <> 0) OR (:P_TNRTAREFA = ''T'')) AND'
      '      (CAST(FORMAT_DATE(M.DTOCORRMOV, ''MM/DD/YYYY'') AS TIMESTAMP) BETWEEN :P_DTINICIAL AND :P_DTFINAL) AND'
      '      ((INSTR(NVLSTR(:P_CDCLIENTE, M.CDCLIENTE), M.CDCLIENTE) <> 0) OR'
      '       (INSTR(NVLSTR(:P_CDPROSPECT, M.CDPROSPECT), M.CDPROSPECT) <> 0) OR'
      '       (INSTR(NVLSTR(:P_CDFORNECED, M.CDFORNECED), M.CDFORNECED) <> 0))'
      'ORDER BY M.NROCORRMOV')
    SQL_ORACLE.Strings = (
      'SELECT M.CDFILIAL, M.CDFILILANCMO, M.CDFORNECED, M.CDCLIENTE, M.CDPROSPECT, M.DTOCORRMOV,'
      '       M.NROCORRMOV, M.NMPESSIDETOC, M.CDOPERADOR, M.CDGRPOCOR, M.CDOCORR, M.CDPRODUTO,'
      '       M.CDDESTPROD, M.CDSEGMER, M.NRLOTEESTQ, M.NRSUBLOTE, M.NMPESSAUTOOC, M.DSSUMARIAOC,'
      '       M.CDFILIALNF, M.NRLANCTONF, M.DSCLASSOCOR, M.CDFORNTRANSP, M.NRTAREFA,'
      '       FI.NMFILIAL, O.NMOPERADOR, G.DSGRPOCOR, OC.DSOCORR, P.NMPRODUTO, D.DSDESTPROD,'
      '       S.DSSEGMER, P.CDARVPROD, NF.CDSERIEENTR, NF.NRNOTAFISC, TA.DSREFETAREFA,'
      '       FT.NMRAZSOCFORN NMRAZSOCTRANS, FT.NRINSJURFORN NRINSJURTRANS, FT.IDTPIJURFORN IDTPIJURTRANS,'
      '       NVL(F.NRINSJURFORN, NVL(C.NRINSJURCLIE, PR.NRINSJURPROS)) NRINSJUR,'
      '       NVL(F.NMRAZSOCFORN, NVL(C.NMRAZSOCCLIE, PR.NMRAZSOCPROS)) NMRAZSOC,'
      '       NVL(F.IDTPIJURFORN, NVL(C.IDTPIJURCLIE, PR.IDTPIJURPROS)) IDTPIJUR,'
      '       DECODE(F.NRINSJURFORN, NULL, DECODE(C.NRINSJURCLIE, NULL, ''P'', ''C''), ''F'') TIPO'
      'FROM MOVOCORR M, FILIAL FI, OPERADOR O, NOTAFISCAL NF, FORNECEDOR F, CLIENTE C,'
      '     PROSPECT PR, SEGMERCADO S, FORNECEDOR FT, OCORRENCIA OC, GRUPOCOR G, PRODUTO P,'
      '     DESTPROD D, TAREFA TA'
      'WHERE (FI.CDFILIAL = M.CDFILIAL) AND (O.CDOPERADOR = M.CDOPERADOR) AND'
      '      (NF.CDFILIAL (+) = M.CDFILIALNF) AND (NF.NRLANCTONF (+) = M.NRLANCTONF) AND'
      '      (F.CDFORNECED (+) = M.CDFORNECED) AND (C.CDCLIENTE (+) = M.CDCLIENTE) AND'
      '      (PR.CDPROSPECT (+) = M.CDPROSPECT) AND (S.CDSEGMER (+) = M.CDSEGMER) AND'
      '      (FT.CDFORNECED (+) = M.CDFORNTRANSP) AND'
      '      (OC.CDGRPOCOR (+) = M.CDGRPOCOR) AND (OC.CDOCORR (+) = M.CDOCORR) AND'
      '      (G.CDGRPOCOR (+) = M.CDGRPOCOR) AND (P.CDPRODUTO (+) = M.CDPRODUTO) AND'
      '      (D.CDDESTPROD (+) = M.CDDESTPROD) AND (TA.NRTAREFA (+) = M.NRTAREFA) AND'
      '      ((INSTR(:P_CDFILIAL, M.CDFILIAL) <> 0) OR (:P_TCDFILIAL = ''T'')) AND'
      '      ((INSTR(:P_CDGRUPOCOR, M.CDGRPOCOR) <> 0) OR (:P_TCDGRUPOCOR = ''T'')) AND'
      '      ((INSTR(:P_CDSEGMER, M.CDSEGMER) <> 0) OR (:P_TCDSEGMER = ''T'')) AND'
      '      ((INSTR(:P_NRTAREFA, M.NRTAREFA) <> 0) OR (:P_TNRTAREFA = ''T'')) AND'
      '      (TRUNC(M.DTOCORRMOV) BETWEEN :P_DTINICIAL AND :P_DTFINAL) AND'
      '      ((INSTR(NVL(:P_CDCLIENTE, M.CDCLIENTE), M.CDCLIENTE) <> 0) OR'
      '       (INSTR(NVL(:P_CDPROSPECT, M.CDPROSPECT), M.CDPROSPECT) <> 0) OR'
      '       (INSTR(NVL(:P_CDFORNECED, M.CDFORNECED), M.CDFORNECED) <> 0))'
      'ORDER BY M.NROCORRMOV')
    SQL_MSSQL.Strings = (
      'SELECT M.CDFILIAL, M.CDFILILANCMO, M.CDFORNECED, M.CDCLIENTE, M.CDPROSPECT, M.DTOCORRMOV,'
      '       M.NROCORRMOV, M.NMPESSIDETOC, M.CDOPERADOR, M.CDGRPOCOR, M.CDOCORR, M.CDPRODUTO,'
      '       M.CDDESTPROD, M.CDSEGMER, M.NRLOTEESTQ, M.NRSUBLOTE, M.NMPESSAUTOOC, M.DSSUMARIAOC,'
      '       M.CDFILIALNF, M.NRLANCTONF, M.DSCLASSOCOR, M.CDFORNTRANSP, M.NRTAREFA,'
      '       FI.NMFILIAL, O.NMOPERADOR, G.DSGRPOCOR, OC.DSOCORR, P.NMPRODUTO, D.DSDESTPROD,'
      '       S.DSSEGMER, P.CDARVPROD, NF.CDSERIEENTR, NF.NRNOTAFISC, TA.DSREFETAREFA,'
      '       FT.NMRAZSOCFORN NMRAZSOCTRANS, FT.NRINSJURFORN NRINSJURTRANS, FT.IDTPIJURFORN IDTPIJURTRANS,'
      '       ISNULL(F.NRINSJURFORN, ISNULL(C.NRINSJURCLIE, PR.NRINSJURPROS)) NRINSJUR,'
      '       ISNULL(F.NMRAZSOCFORN, ISNULL(C.NMRAZSOCCLIE, PR.NMRAZSOCPROS)) NMRAZSOC,'
      '       ISNULL(F.IDTPIJURFORN, ISNULL(C.IDTPIJURCLIE, PR.IDTPIJURPROS)) IDTPIJUR,'
      '       CASE WHEN F.NRINSJURFORN IS NOT NULL THEN ''F'' WHEN C.NRINSJURCLIE IS NOT NULL THEN ''C'' ELSE ''P'' END TIPO'
      'FROM MOVOCORR M'
      '     INNER JOIN FILIAL FI ON (FI.CDFILIAL = M.CDFILIAL)'
      '     INNER JOIN OPERADOR O ON (O.CDOPERADOR = M.CDOPERADOR)'
      '     LEFT OUTER JOIN NOTAFISCAL NF ON (NF.CDFILIAL = M.CDFILIALNF AND NF.NRLANCTONF = M.NRLANCTONF)'
      '     LEFT OUTER JOIN FORNECEDOR F ON (F.CDFORNECED = M.CDFORNECED)'
      '     LEFT OUTER JOIN CLIENTE C ON (C.CDCLIENTE = M.CDCLIENTE)'
      '     LEFT OUTER JOIN PROSPECT PR ON (PR.CDPROSPECT = M.CDPROSPECT)'
      '     LEFT OUTER JOIN SEGMERCADO S ON (S.CDSEGMER = M.CDSEGMER)'
      '     LEFT OUTER JOIN FORNECEDOR FT ON (FT.CDFORNECED = M.CDFORNTRANSP)'
      '     LEFT OUTER JOIN OCORRENCIA OC ON (OC.CDGRPOCOR = M.CDGRPOCOR AND OC.CDOCORR = M.CDOCORR)'
      '     LEFT OUTER JOIN GRUPOCOR G ON (G.CDGRPOCOR = M.CDGRPOCOR)'
      '     LEFT OUTER JOIN PRODUTO P ON (P.CDPRODUTO = M.CDPRODUTO)'
      '     LEFT OUTER JOIN DESTPROD D ON (D.CDDESTPROD = M.CDDESTPROD)'
      '     LEFT OUTER JOIN TAREFA TA ON (TA.NRTAREFA = M.NRTAREFA)'
      'WHERE ((CHARINDEX(M.CDFILIAL, :P_CDFILIAL) <> 0) OR (:P_TCDFILIAL = ''T'')) AND'
      '      ((CHARINDEX(M.CDGRPOCOR, :P_CDGRUPOCOR) <> 0) OR (:P_TCDGRUPOCOR = ''T'')) AND'
      '      ((CHARINDEX(M.CDSEGMER, :P_CDSEGMER) <> 0) OR (:P_TCDSEGMER = ''T'')) AND'
      '      ((CHARINDEX(M.NRTAREFA, :P_NRTAREFA) <> 0) OR (:P_TNRTAREFA = ''T'')) AND'
      '      (CONVERT(DATETIME, (CONVERT(VARCHAR, M.DTOCORRMOV, 103)), 103) BETWEEN :P_DTINICIAL AND :P_DTFINAL) AND'
      '      ((CHARINDEX(M.CDCLIENTE, ISNULL(:P_CDCLIENTE, M.CDCLIENTE)) <> 0) OR'
      '       (CHARINDEX(M.CDPROSPECT, ISNULL(:P_CDPROSPECT, M.CDPROSPECT)) <> 0) OR'
      '       (CHARINDEX(M.CDFORNECED, ISNULL(:P_CDFORNECED, M.CDFORNECED)) <> 0))'
      'ORDER BY M.NROCORRMOV')
    SQL_IB.Strings = (
      'SELECT M.CDFILIAL, M.CDFILILANCMO, M.CDFORNECED, M.CDCLIENTE, M.CDPROSPECT, M.DTOCORRMOV,'
      '       M.NROCORRMOV, M.NMPESSIDETOC, M.CDOPERADOR, M.CDGRPOCOR, M.CDOCORR, M.CDPRODUTO,'
      '       M.CDDESTPROD, M.CDSEGMER, M.NRLOTEESTQ, M.NRSUBLOTE, M.NMPESSAUTOOC, M.DSSUMARIAOC,'
      '       M.CDFILIALNF, M.NRLANCTONF, M.DSCLASSOCOR, M.CDFORNTRANSP, M.NRTAREFA,'
      '       FI.NMFILIAL, O.NMOPERADOR, G.DSGRPOCOR, OC.DSOCORR, P.NMPRODUTO, D.DSDESTPROD,'
      '       S.DSSEGMER, P.CDARVPROD, NF.CDSERIEENTR, NF.NRNOTAFISC, TA.DSREFETAREFA,'
      '       FT.NMRAZSOCFORN NMRAZSOCTRANS, FT.NRINSJURFORN NRINSJURTRANS, FT.IDTPIJURFORN IDTPIJURTRANS,'
      '       NVLSTR(F.NRINSJURFORN, NVLSTR(C.NRINSJURCLIE, PR.NRINSJURPROS)) NRINSJUR,'
      '       NVLSTR(F.NMRAZSOCFORN, NVLSTR(C.NMRAZSOCCLIE, PR.NMRAZSOCPROS)) NMRAZSOC,'
      '       NVLSTR(F.IDTPIJURFORN, NVLSTR(C.IDTPIJURCLIE, PR.IDTPIJURPROS)) IDTPIJUR,'
      '       CASE WHEN F.NRINSJURFORN IS NOT NULL THEN ''F'' WHEN C.NRINSJURCLIE IS NOT NULL THEN ''C'' ELSE ''P'' END TIPO'
      'FROM MOVOCORR M'
      '     INNER JOIN FILIAL FI ON (FI.CDFILIAL = M.CDFILIAL)'
      '     INNER JOIN OPERADOR O ON (O.CDOPERADOR = M.CDOPERADOR)'
      '     LEFT OUTER JOIN NOTAFISCAL NF ON (NF.CDFILIAL = M.CDFILIALNF AND NF.NRLANCTONF = M.NRLANCTONF)'
      '     LEFT OUTER JOIN FORNECEDOR F ON (F.CDFORNECED = M.CDFORNECED)'
      '     LEFT OUTER JOIN CLIENTE C ON (C.CDCLIENTE = M.CDCLIENTE)'
      '     LEFT OUTER JOIN PROSPECT PR ON (PR.CDPROSPECT = M.CDPROSPECT)'
      '     LEFT OUTER JOIN SEGMERCADO S ON (S.CDSEGMER = M.CDSEGMER)'
      '     LEFT OUTER JOIN FORNECEDOR FT ON (FT.CDFORNECED = M.CDFORNTRANSP)'
      '     LEFT OUTER JOIN OCORRENCIA OC ON (OC.CDGRPOCOR = M.CDGRPOCOR AND OC.CDOCORR = M.CDOCORR)'
      '     LEFT OUTER JOIN GRUPOCOR G ON (G.CDGRPOCOR = M.CDGRPOCOR)'
      '     LEFT OUTER JOIN PRODUTO P ON (P.CDPRODUTO = M.CDPRODUTO)'
      '     LEFT OUTER JOIN DESTPROD D ON (D.CDDESTPROD = M.CDDESTPROD)'
      '     LEFT OUTER JOIN TAREFA TA ON (TA.NRTAREFA = M.NRTAREFA),'
      '     PARAM(:P_CDFILIAL) P_CDFILIAL, PARAM(:P_CDGRUPOCOR) P_CDGRUPOCOR,'
      '     PARAM(:P_CDSEGMER) P_CDSEGMER, PARAM(:P_NRTAREFA) P_NRTAREFA'
      'WHERE ((INSTR(P_CDFILIAL.PARAM, M.CDFILIAL) <> 0) OR (:P_TCDFILIAL = ''T'')) AND'
      '      ((INSTR(P_CDGRUPOCOR.PARAM, M.CDGRPOCOR) <> 0) OR (:P_TCDGRUPOCOR = ''T'')) AND'
      '      ((INSTR(P_CDSEGMER.PARAM, M.CDSEGMER) <> 0) OR (:P_TCDSEGMER = ''T'')) AND'
      '      ((INSTR(P_NRTAREFA.PARAM, M.NRTAREFA) <> 0) OR (:P_TNRTAREFA = ''T'')) AND'
      '      (CAST(FORMAT_DATE(M.DTOCORRMOV, ''MM/DD/YYYY'') AS TIMESTAMP) BETWEEN :P_DTINICIAL AND :P_DTFINAL) AND'
      '      ((INSTR(NVLSTR(:P_CDCLIENTE, M.CDCLIENTE), M.CDCLIENTE) <> 0) OR'
      '       (INSTR(NVLSTR(:P_CDPROSPECT, M.CDPROSPECT), M.CDPROSPECT) <> 0) OR'
      '       (INSTR(NVLSTR(:P_CDFORNECED, M.CDFORNECED), M.CDFORNECED) <> 0))'
      'ORDER BY M.NROCORRMOV')
  end
  object dtsFilial: TDataSource
    DataSet = qryFilial
  end
  object dtsGpOcor: TDataSource
    DataSet = qryGpOcor
  end
  object dtsSegmento: TDataSource
    DataSet = qrySegmento
  end
  object dtsAtendimento: TDataSource
    DataSet = qryAtendimento
  end
  object dtsCPF: TDataSource
    DataSet = cdsCpf
  end
end
