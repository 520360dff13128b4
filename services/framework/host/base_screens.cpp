// The definitions of the base screens, registered as the framework's own module.
#include "framework/forms/form_loader.h"
#include "framework/host/frm_padrao.h"

namespace {

constexpr const char* kFrmPadrao = R"(object frmPadrao: TfrmPadrao
  Left = 0
  Top = 0
  Width = 780
  Height = 560
  Caption = 'Cadastro'
  FormStyle = fsMDIChild
  Menu = mnuPrincipal
  OnCreate = FormCreate
  OnClose = FormClose
  object panMenu: TPanel
    Align = alTop
    Left = 0
    Top = 0
    Width = 772
    Height = 32
    object sbtConfirmar: TSpeedButton
      Left = 4
      Width = 28
      Height = 28
      Hint = 'Confirmar'
      Glyph = 'Confirmar'
      OnClick = sbtConfirmarClick
    end
    object sbtCancelar: TSpeedButton
      Left = 32
      Width = 28
      Height = 28
      Hint = 'Cancelar'
      Glyph = 'Cancelar'
      OnClick = sbtCancelarClick
    end
    object sbtIncluir: TSpeedButton
      Left = 68
      Width = 28
      Height = 28
      Hint = 'Incluir'
      Glyph = 'Incluir'
      OnClick = sbtIncluirClick
    end
    object sbtAlterar: TSpeedButton
      Left = 96
      Width = 28
      Height = 28
      Hint = 'Alterar'
      Glyph = 'Alterar'
      OnClick = sbtAlterarClick
    end
    object sbtExcluir: TSpeedButton
      Left = 124
      Width = 28
      Height = 28
      Hint = 'Excluir'
      Glyph = 'Excluir'
    end
    object sbtProcurar: TSpeedButton
      Left = 160
      Width = 28
      Height = 28
      Hint = 'Procurar'
      Glyph = 'Procurar'
      OnClick = sbtProcurarClick
    end
    object sbtVerificar: TSpeedButton
      Left = 188
      Width = 28
      Height = 28
      Hint = 'Verificar'
      Glyph = 'Verificar'
    end
    object sbtImprimir: TSpeedButton
      Left = 224
      Width = 28
      Height = 28
      Hint = 'Imprimir'
      Glyph = 'Imprimir'
    end
    object sbtAjuda: TSpeedButton
      Left = 260
      Width = 28
      Height = 28
      Hint = 'Ajuda'
      Glyph = 'Ajuda'
      OnClick = sbtAjudaClick
    end
    object sbtFechar: TSpeedButton
      Left = 288
      Width = 28
      Height = 28
      Hint = 'Fechar'
      Glyph = 'Fechar'
      OnClick = sbtFecharClick
    end
    object lblCodTela: TLabel
      Anchors = [akTop, akRight]
      Left = 700
      Top = 8
      Width = 64
      Height = 16
    end
  end
  object panNavigator: TPanel
    Align = alTop
    Left = 0
    Top = 32
    Width = 772
    Height = 28
    object dbtNome: TDBText
      Left = 8
      Top = 6
      Width = 500
      Height = 16
      DataSource = dtsPadrao
    end
    object dbnPadrao: TDBNavigator
      Anchors = [akTop, akRight]
      Left = 620
      Top = 2
      Width = 144
      Height = 24
      DataSource = dtsPadrao
    end
  end
  object pgcPadrao: TPageControl
    Align = alClient
    Left = 0
    Top = 60
    Width = 772
    Height = 454
    TabOrder = 0
    OnChange = pgcPadraoChange
    object tshFolhaDados: TTabSheet
      Caption = 'Folha de Dados'
      object dbgPadrao: TDBGrid
        Align = alClient
        Left = 0
        Top = 0
        Width = 764
        Height = 426
        TabOrder = 0
        DataSource = dtsPadrao
      end
    end
    object tshFormulario: TTabSheet
      Caption = 'Formulário'
      object scbFormulario: TScrollBox
        Align = alClient
        Left = 0
        Top = 0
        Width = 764
        Height = 426
        TabOrder = 0
      end
    end
  end
  object mnuPrincipal: TMainMenu
    object mnuOperacao: TMenuItem
      Caption = '&Operação'
      object mnuFolhaDados: TMenuItem
        Caption = '&Folha de Dados'
        OnClick = mnuFolhaDadosClick
      end
      object mnuFormulario: TMenuItem
        Caption = '&Formulário'
        OnClick = mnuFormularioClick
      end
      object mnuListagem: TMenuItem
        Caption = '&Listagem'
      end
      object mnuConfigImpressora: TMenuItem
        Caption = '&Configurar Impressora'
      end
    end
    object mnuManutencao: TMenuItem
      Caption = '&Manutenção'
      object mnuIncluir: TMenuItem
        Caption = '&Incluir'
        ShortCut = 'Ins'
        OnClick = mnuIncluirClick
      end
      object mnuAlterar: TMenuItem
        Caption = '&Alterar'
        ShortCut = 'Ctrl+A'
        OnClick = mnuAlterarClick
      end
      object mnuExcluir: TMenuItem
        Caption = '&Excluir'
        ShortCut = 'Ctrl+Del'
        OnClick = mnuExcluirClick
      end
      object mnuProcurar: TMenuItem
        Caption = '&Procurar'
        ShortCut = 'Ctrl+P'
        OnClick = mnuProcurarClick
      end
      object mnuVerificar: TMenuItem
        Caption = '&Verificar'
        ShortCut = 'F5'
        OnClick = mnuVerificarClick
      end
      object mnuCancelar: TMenuItem
        Caption = '&Cancelar'
        ShortCut = 'Esc'
        OnClick = mnuCancelarClick
      end
      object mnuConfirmar: TMenuItem
        Caption = 'C&onfirmar'
        ShortCut = 'Ctrl+Enter'
        OnClick = mnuConfirmarClick
      end
    end
  end
  object dtsPadrao: TDataSource
  end
  object msgPadrao: TMessages
  end
  object msgMensagensPadroes: TMessages
    Messages.Strings = (
      'Excl|Confirma a exclusão do registro?'
      'Canc|Confirma o cancelamento das alterações?')
  end
end
)";

constexpr const char* kFrmFiltroPadrao = R"(object frmFiltroPadrao: TfrmFiltroPadrao
  Left = 0
  Top = 0
  Width = 620
  Height = 480
  Caption = 'Filtro'
  Position = poScreenCenter
  OnCreate = FormCreate
  object lblCodTela: TLabel
    Left = 540
    Top = 8
    Width = 64
    Height = 16
  end
  object sbtConfirma: TSpeedButton
    Left = 4
    Top = 4
    Width = 28
    Height = 28
    Hint = 'Confirmar (Enter)'
    Glyph = 'Confirmar'
    OnClick = sbtConfirmaClick
  end
  object btfSaveOpc: TOptionButton
    Left = 40
    Top = 4
    Width = 28
    Height = 28
    Hint = 'Salvar opções'
    Glyph = 'SalvarOpcoes'
    OnClick = btfSaveOpcClick
  end
  object btfLoadOpc: TOptionButton
    Left = 68
    Top = 4
    Width = 28
    Height = 28
    Hint = 'Carregar opções'
    Glyph = 'CarregarOpcoes'
    OnClick = btfLoadOpcClick
  end
  object grbFiltroPadrao: TGroupBox
    Left = 4
    Top = 40
    Width = 604
    Height = 400
    TabOrder = 0
  end
  object msgPadrao: TMessages
  end
  object ppmOpcoes: TPopupMenu
    object mnuSalvarOpcoes: TMenuItem
      Caption = '&Salvar opções'
      OnClick = mnuSalvarOpcoesClick
    end
    object mnuCarregarOpcoes: TMenuItem
      Caption = '&Carregar opções'
      OnClick = mnuCarregarOpcoesClick
    end
  end
  object cdsCarregaOpcoes: TClientDataSet
    object cdsCarregaOpcoesNMOPCAO: TStringField
      DisplayLabel = 'Conjunto de opções'
      Size = 60
    end
  end
  object dtsCarregaOpcoes: TDataSource
    DataSet = cdsCarregaOpcoes
  end
end
)";

} // namespace

void RegisterBaseScreens() {
    if (ModuleRegistry::Instance().IsRegistered("ocaframework")) {
        return;
    }
    ModuleRegistry::Instance().RegisterModule(
        "ocaframework", {{"TfrmPadrao", "", "Frmpadr.dfm", kFrmPadrao},
                         {"TfrmFiltroPadrao", "", "Frmfiltropadr.dfm", kFrmFiltroPadrao}});
}
