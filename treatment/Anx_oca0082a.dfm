// The files attached to an occurrence.
object frmAnexos: TfrmAnexos
  Left = 120
  Top = 80
  Width = 760
  Height = 420
  Caption = 'Anexos'
  object panBotoes: TPanel
    Align = alTop
    Height = 34
    object sbtAdicionar: TSpeedButton
      Left = 6
      Top = 4
      Width = 110
      Height = 26
      Caption = '&Adicionar...'
      Hint = 'Anexar arquivos (também é possível arrastá-los para esta janela)'
      OnClick = sbtAdicionarClick
    end
    object sbtAbrir: TSpeedButton
      Left = 120
      Top = 4
      Width = 90
      Height = 26
      Caption = 'A&brir'
      Hint = 'Abrir o anexo no programa do sistema'
      OnClick = sbtAbrirClick
    end
    object sbtSalvarComo: TSpeedButton
      Left = 214
      Top = 4
      Width = 110
      Height = 26
      Caption = '&Salvar como...'
      OnClick = sbtSalvarComoClick
    end
    object sbtRemover: TSpeedButton
      Left = 328
      Top = 4
      Width = 90
      Height = 26
      Caption = '&Remover'
      OnClick = sbtRemoverClick
    end
    object sbtFechar: TSpeedButton
      Left = 640
      Top = 4
      Width = 90
      Height = 26
      Caption = '&Fechar'
      OnClick = sbtFecharClick
    end
  end
  object panMiniatura: TPanel
    Align = alRight
    Width = 180
    object imgMiniatura: TImage
      Left = 10
      Top = 10
      Width = 160
      Height = 120
    end
  end
  object lblResumo: TLabel
    Align = alBottom
    Height = 20
    Caption = ''
  end
  object dbgAnexos: TDBGrid
    Align = alClient
    DataSource = dtsAnexos
    Columns = <
      item
        FieldName = 'NRANEXO'
        Title.Caption = 'Nº'
        Width = 30
      end
      item
        FieldName = 'NMARQUIVO'
        Title.Caption = 'Arquivo'
        Width = 200
      end
      item
        FieldName = 'TPCONTEUDO'
        Title.Caption = 'Tipo'
        Width = 110
      end
      item
        FieldName = 'QTBYTES'
        Title.Caption = 'Tamanho'
        Width = 70
      end
      item
        FieldName = 'NMOPERADOR'
        Title.Caption = 'Anexado por'
        Width = 110
      end
      item
        FieldName = 'DTINCLUSAO'
        Title.Caption = 'Em'
        Width = 110
      end>
  end
  object netAnexos: TNetConnection
    ServerName = 'OCA0080A.rdmOcorAtendimento'
    ThrowException = False
    BeforeConnect = netAnexosBeforeConnect
  end
  object cdsAnexos: TClientDataSet
    AfterScroll = cdsAnexosAfterScroll
  end
  object dtsAnexos: TDataSource
    DataSet = cdsAnexos
  end
end
