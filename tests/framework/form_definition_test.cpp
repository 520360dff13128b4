#include "framework/controls/application.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/form.h"
#include "framework/controls/format_panel.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/data/client_dataset.h"
#include "framework/data/query.h"
#include "framework/forms/form_loader.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/host/messages.h"
#include "framework/script/scripted_ui_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

constexpr const char* kBase = R"(object frmBase: TfrmBase
  Caption = 'Base'
  object pgcPadrao: TPageControl
    TabOrder = 0
    object tshFolhaDados: TTabSheet
      Caption = 'Lista'
    end
    object tshFormulario: TTabSheet
      Caption = 'Formul' + 'ário'
    end
  end
  object msgPadrao: TMessages
    Messages.Strings = (
      'Excl|Confirma a exclusão?'
      'Canc|Cancela as alterações?')
  end
end
)";

// Every kind of component a screen uses, with events bound by name.
constexpr const char* kSample = R"(inherited frmAmostra: TfrmAmostra
  Caption = 'Ocorrências de Atendimento'
  HelpContext = 12500800
  HelpFile = 'OcaHelp.hlp'
  FormStyle = fsMDIChild
  Menu = mnuPrincipal
  ActiveControl = dbeCdFilial
  OnActivate = FormActivate
  // A comment line.
  inherited pgcPadrao: TPageControl
    OnChange = pgcPadraoChange
    inherited tshFormulario: TTabSheet
      object dbeCdFilial: TDBEdit
        Left = 8
        Top = 16
        Width = 40
        Height = 21
        TabOrder = 0
        Color = clInfoBk
        DataSource = dtsPadrao
        DataField = 'CDFILIAL'
        OnExit = dbeCdFilialExit
        OnKeyDown = dbeCdFilialKeyDown
      end
      object btnFilial: TBtnPesquisa
        Hint = 'Pesquisar'
        Title = 'Filial'
        EmptyError = 'Não há filial cadastrada.'
        DataSource = dtsPadrao
        Associate = dbeCdFilial
        OnAfterPesq = btnFilialAfterPesq
      end
      object grbFornClie: TGroupBox
        TabOrder = 1
        object rbtForne: TRadioButton
          Caption = 'Fornecedor'
          Checked = True
          TabOrder = 0
          OnClick = rbtForneClick
        end
        object rbtCliente: TRadioButton
          Caption = 'Cliente'
          TabOrder = 1
          OnClick = rbtForneClick
        end
        object chkAtivo: TCheckBox
          Checked = True
        end
      end
      object dbdData: TDBDateEditPlus
        TabOrder = 2
        DataSource = dtsPadrao
        DataField = 'DTOCORRMOV'
        SaveTime = True
        ValidDateColor = clBlue
      end
      object medHora: TMaskEdit
        TabOrder = 3
        EditMask = '99:99;1; '
        MaxLength = 5
      end
      object lblFilial: TLabel
        Caption = 'Filial'
        FocusControl = dbeCdFilial
      end
      object edtLivre: TEdit
        Text = 'x'
      end
      object dtxNome: TDBText
        DataSource = dtsPadrao
        DataField = 'NMFILIAL'
      end
    end
    object tshDescricao: TTabSheet
      Caption = 'Descrição'
      Enabled = False
      object fpnDescricao: TFormatPanel
        Editor = dreDescricao
      end
      object dreDescricao: TDBRichEdit
        DataField = 'DSMOVOCORR'
        ReadOnly = True
      end
    end
  end
  object panScroll: TScrollBox
    object panInfo: TPanel
      object sbtFiltrar: TSpeedButton
        Hint = 'Filtrar'
        Glyph = 'Filtrar'
        OnClick = sbtFiltrarClick
      end
    end
  end
  object dbgPadrao: TDBGrid
    DataSource = dtsPadrao
    Columns = <
      item
        FieldName = 'CDFILIAL'
      end
      item
        FieldName = 'DTOCORRMOV'
        Title.Caption = 'Data'
        Width = 80
      end>
  end
  object dbnPadrao: TDBNavigator
    DataSource = dtsPadrao
  end
  object mnuPrincipal: TMainMenu
    object mnuManutencao: TMenuItem
      Caption = '&Manutenção'
      object mnuSep: TMenuItem
        Caption = '-'
      end
      object mnuFiltrar: TMenuItem
        Caption = 'Filtrar'
        Hint = 'OCA00801'
        ShortCut = 'Ctrl+L'
        OnClick = sbtFiltrarClick
      end
    end
  end
  object ppmOpcoes: TPopupMenu
    object mnuSalvar: TMenuItem
      Caption = 'Salvar'
    end
  end
  object dtsPadrao: TDataSource
    DataSet = cdsMov
    OnStateChange = dtsPadraoStateChange
    OnDataChange = dtsPadraoDataChange
  end
  object cdsMov: TClientDataSet
    BeforePost = cdsMovBeforePost
    OnCalcFields = cdsMovCalcFields
    object cdsMovCDFILIAL: TStringField
      FieldName = 'CDFILIAL'
      Size = 4
      EditMask = '9999;0; '
      Required = True
      ProviderFlags = [pfInUpdate, pfInKey]
    end
    object cdsMovNMFILIAL: TStringField
      DisplayLabel = 'Filial'
      Size = 30
      Visible = False
      OnGetText = cdsMovNMFILIALGetText
    end
    object cdsMovDTOCORRMOV: TDateTimeField
      DisplayLabel = 'Data '
    end
    object cdsMovIDTIPO: TFixedStringField
      Size = 1
      DisplayWidth = 10
    end
    object cdsMovDTFORN: TStringField
      FieldKind = fkCalculated
      Size = 80
    end
  end
  object qryFilial: TADOIBQuery
    SQL.Strings = (
      'SELECT CDFILIAL, NMFILIAL FROM FILIAL'
      'WHERE (CDFILIAL = :P_CDFILIAL OR :P_TCDFILIAL = ''T'')')
    SQL_IB.Strings = (
      'SELECT 1')
    Params = <
      item
        Name = 'P_DTINICIAL'
        DataType = ftDateTime
      end>
  end
  object dspFilial: TDataSetProvider
    DataSet = qryFilial
  end
end
)";

class TfrmAmostra : public TForm {
public:
    explicit TfrmAmostra(TComponent* Owner = nullptr) : TForm(Owner) {}

    void FormActivate(TObject*) { log.push_back("activate"); }
    void pgcPadraoChange(TObject*) { log.push_back("page"); }
    void dbeCdFilialExit(TObject*) { log.push_back("exit filial"); }
    void dbeCdFilialKeyDown(TObject*, std::uint16_t& key, TShiftState) {
        log.push_back("key " + std::to_string(key));
    }
    void btnFilialAfterPesq(TObject*) { log.push_back("after pesq"); }
    void rbtForneClick(TObject* sender) {
        log.push_back("click " + dynamic_cast<TComponent*>(sender)->Name());
    }
    void sbtFiltrarClick(TObject*) { log.push_back("filtrar"); }
    void dtsPadraoStateChange(TObject*) { log.push_back("state"); }
    void dtsPadraoDataChange(TObject*, TField*) {}
    void cdsMovBeforePost(TDataSet*) { log.push_back("before post"); }
    void cdsMovCalcFields(TDataSet*) {
        cdsMovDTFORN->SetAsString("Nº " + cdsMovCDFILIAL->AsString());
    }
    void cdsMovNMFILIALGetText(TField* f, std::string& text, bool) {
        text = "<" + f->AsString() + ">";
    }

    static const PublishedTable& Published() {
        static const PublishedTable table = [] {
            PublishedTable t;
            t.Handler("FormActivate", &TfrmAmostra::FormActivate);
            t.Handler("pgcPadraoChange", &TfrmAmostra::pgcPadraoChange);
            t.Handler("dbeCdFilialExit", &TfrmAmostra::dbeCdFilialExit);
            t.Handler("dbeCdFilialKeyDown", &TfrmAmostra::dbeCdFilialKeyDown);
            t.Handler("btnFilialAfterPesq", &TfrmAmostra::btnFilialAfterPesq);
            t.Handler("rbtForneClick", &TfrmAmostra::rbtForneClick);
            t.Handler("sbtFiltrarClick", &TfrmAmostra::sbtFiltrarClick);
            t.Handler("dtsPadraoStateChange", &TfrmAmostra::dtsPadraoStateChange);
            t.Handler("dtsPadraoDataChange", &TfrmAmostra::dtsPadraoDataChange);
            t.Handler("cdsMovBeforePost", &TfrmAmostra::cdsMovBeforePost);
            t.Handler("cdsMovCalcFields", &TfrmAmostra::cdsMovCalcFields);
            t.Handler("cdsMovNMFILIALGetText", &TfrmAmostra::cdsMovNMFILIALGetText);
            t.Component("dbeCdFilial", &TfrmAmostra::dbeCdFilial);
            t.Component("cdsMov", &TfrmAmostra::cdsMov);
            t.Component("cdsMovCDFILIAL", &TfrmAmostra::cdsMovCDFILIAL);
            t.Component("cdsMovDTFORN", &TfrmAmostra::cdsMovDTFORN);
            return t;
        }();
        return table;
    }

    std::vector<std::string> log;
    TDBEdit* dbeCdFilial = nullptr;
    TClientDataSet* cdsMov = nullptr;
    TField* cdsMovCDFILIAL = nullptr;
    TField* cdsMovDTFORN = nullptr;
};

class FormDefinitions : public ::testing::Test {
protected:
    void SetUp() override {
        SetUi(&ui);
        ModuleRegistry::Instance().RegisterModule(
            "amostra", {{"TfrmBase", "", "base.dfm", kBase},
                        {"TfrmAmostra", "TfrmBase", "amostra.dfm", kSample}});
    }
    void TearDown() override {
        ModuleRegistry::Instance().UnregisterModule("amostra");
        SetUi(nullptr);
    }
    template <class T> T* Find(TForm& form, const char* name) {
        return dynamic_cast<T*>(form.FindComponent(name));
    }
    ScriptedUiDriver ui;
};

TEST_F(FormDefinitions, BuildsEveryKindOfComponentFromTheBaseAndTheDerivedDefinition) {
    TfrmAmostra form;
    InitInheritedComponent(form, "TfrmAmostra", TfrmAmostra::Published());
    EXPECT_EQ(form.Name(), "frmAmostra");
    EXPECT_EQ(form.Caption(), "Ocorrências de Atendimento");
    EXPECT_EQ(form.HelpContext(), 12500800);
    EXPECT_EQ(form.FormStyle(), fsMDIChild);
    EXPECT_EQ(form.ActiveControl(), form.dbeCdFilial);
    auto* pgc = Find<TPageControl>(form, "pgcPadrao");
    ASSERT_NE(pgc, nullptr);
    ASSERT_EQ(pgc->PageCount(), 3u);
    EXPECT_EQ(pgc->Pages(1)->Caption(), "Formulário");
    EXPECT_FALSE(pgc->Pages(2)->Enabled());
    EXPECT_EQ(form.dbeCdFilial->Parent(), pgc->Pages(1));
    EXPECT_EQ(form.dbeCdFilial->Color(), clInfoBk);
    EXPECT_EQ(form.dbeCdFilial->Width(), 40);
    EXPECT_EQ(Find<TMessages>(form, "msgPadrao")->Msg("Excl"), "Confirma a exclusão?");
    EXPECT_EQ(Find<TBtnPesquisa>(form, "btnFilial")->Associate, form.dbeCdFilial);
    EXPECT_TRUE(Find<TRadioButton>(form, "rbtForne")->Checked());
    EXPECT_EQ(Find<TLabel>(form, "lblFilial")->FocusControl(), form.dbeCdFilial);
    EXPECT_EQ(Find<TFormatPanel>(form, "fpnDescricao")->Editor(),
              Find<TDBRichEdit>(form, "dreDescricao"));
    EXPECT_EQ(Find<TMaskEdit>(form, "medHora")->EditText(), "  :  ");
    auto* grid = Find<TDBGrid>(form, "dbgPadrao");
    ASSERT_EQ(grid->Columns.size(), 2u);
    EXPECT_EQ(grid->ColumnTitle(1), "Data");
    EXPECT_EQ(grid->Columns[1].Width, 80);
    EXPECT_EQ(form.Menu()->Items().Items()[0]->Items().size(), 2u);
    EXPECT_TRUE(form.Menu()->Items().Items()[0]->Items()[0]->IsSeparator());
    EXPECT_EQ(Find<TPopupMenu>(form, "ppmOpcoes")->Items().Items().size(), 1u);
    auto* qry = Find<TADOIBQuery>(form, "qryFilial");
    EXPECT_EQ(qry->Params().Count(), 3u);
    EXPECT_EQ(qry->ParamByName("P_DTINICIAL").DataType(), FieldType::DateTime);
    EXPECT_THAT(qry->SQL.Text(), HasSubstr(":P_TCDFILIAL = 'T'"));
    // Fields are declared in their data set with their properties.
    ASSERT_EQ(form.cdsMov->FieldCount(), 5u);
    EXPECT_EQ(form.cdsMovCDFILIAL->EditMask(), "9999;0; ");
    EXPECT_EQ(form.cdsMovCDFILIAL->ProviderFlags(),
              static_cast<TProviderFlags>(pfInUpdate | pfInKey));
    EXPECT_EQ(form.cdsMov->FieldByName("NMFILIAL").DisplayLabel(), "Filial");
    EXPECT_TRUE(form.cdsMov->FieldByName("IDTIPO").FixedChar());
    EXPECT_TRUE(form.cdsMovDTFORN->Calculated());
    // Setting Checked while loading ran no handler.
    EXPECT_TRUE(form.log.empty());
}

TEST_F(FormDefinitions, EventsRunTheHandlersTheyName) {
    TfrmAmostra form;
    InitInheritedComponent(form, "TfrmAmostra", TfrmAmostra::Published());
    DataPacket p;
    p.fields = {{"CDFILIAL", FieldType::String, 4},
                {"NMFILIAL", FieldType::String, 30},
                {"DTOCORRMOV", FieldType::DateTime},
                {"IDTIPO", FieldType::FixedString, 1}};
    p.rows = {{Variant("0001"), Variant("Matriz"), Variant(), Variant("F")}};
    form.cdsMov->SetData(MakePacketVariant(p));
    form.Show();
    auto* pgc = Find<TPageControl>(form, "pgcPadrao");
    pgc->SetActivePage(Find<TTabSheet>(form, "tshFormulario"));
    EXPECT_EQ(form.cdsMovDTFORN->AsString(), "Nº 0001");
    EXPECT_EQ(form.cdsMov->FieldByName("NMFILIAL").DisplayText(), "<Matriz>");
    EXPECT_EQ(Find<TDBText>(form, "dtxNome")->Caption(), "<Matriz>");
    form.dbeCdFilial->UserKeyDown(VK_F9);
    Find<TRadioButton>(form, "rbtCliente")->UserClick();
    EXPECT_TRUE(form.UserShortCut("Ctrl+L"));
    EXPECT_FALSE(pgc->UserSelectPage(Find<TTabSheet>(form, "tshDescricao"))) << "disabled page";
    EXPECT_TRUE(pgc->UserSelectPage(Find<TTabSheet>(form, "tshFolhaDados")));
    EXPECT_FALSE(form.dbeCdFilial->UserFocus()) << "its page is no longer shown";
    form.cdsMov->Edit();
    form.cdsMov->Post();
    EXPECT_THAT(form.log,
                ElementsAre("state", "activate", "key 120", "exit filial", "click rbtCliente",
                            "filtrar", "page", "state", "before post", "state"));
}

struct BadDefinition {
    const char* text;
    const char* mentions;
};

void PrintTo(const BadDefinition& c, std::ostream* os) {
    *os << c.mentions;
}

class BadDefinitions : public FormDefinitions,
                       public ::testing::WithParamInterface<BadDefinition> {};

TEST_P(BadDefinitions, FailNamingFileLineAndName) {
    TfrmAmostra form;
    try {
        LoadFormDefinition(form, GetParam().text, "ruim.dfm", TfrmAmostra::Published());
        FAIL() << "accepted";
    } catch (const EFormDefinitionError& e) {
        EXPECT_THAT(e.Message(), HasSubstr(GetParam().mentions));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Load, BadDefinitions,
    ::testing::Values(
        BadDefinition{"object f: TfrmAmostra\n  object x: TBotaoMagico\n  end\nend\n",
                      "ruim.dfm:2: classe de componente desconhecida 'TBotaoMagico'"},
        BadDefinition{"object f: TfrmAmostra\n  object l: TLabel\n    Captoin = 'x'\n  end\nend\n",
                      "ruim.dfm:3: propriedade desconhecida 'Captoin' em TLabel"},
        BadDefinition{
            "object f: TfrmAmostra\n  object e: TEdit\n    OnExit = NaoExiste\n  end\nend\n",
            "ruim.dfm:3: manipulador desconhecido 'NaoExiste'"},
        BadDefinition{"object f: TfrmAmostra\n  object e: TEdit\n    OnExit = dbeCdFilialKeyDown\n "
                      " end\nend\n",
                      "ruim.dfm:3: manipulador 'dbeCdFilialKeyDown' com assinatura errada"},
        BadDefinition{"object f: TfrmAmostra\n  object e: TEdit\n    MaxLength = 'x'\n  end\nend\n",
                      "ruim.dfm:3: número inteiro esperado"},
        BadDefinition{
            "object f: TfrmAmostra\n  object e: TDBEdit\n    DataSource = dtsNada\n  end\nend\n",
            "ruim.dfm:3: componente 'dtsNada' não existe"},
        BadDefinition{"object f: TfrmAmostra\n  object e: TEdit\n    Text = 'sem fim\n  end\nend\n",
                      "ruim.dfm:3: texto entre aspas não fechado"},
        BadDefinition{"object f: TfrmAmostra\n  object e: TEdit\n",
                      "ruim.dfm:3: 'end' de e não encontrado"},
        BadDefinition{"object f: TfrmAmostra\n  inherited z: TEdit\n  end\nend\n",
                      "ruim.dfm:2: componente herdado 'z' não existe"},
        BadDefinition{"object f: TfrmAmostra\n  object cdsMov: TClientDataSet\n  end\nend\n",
                      "componente publicado 'cdsMovCDFILIAL' não existe"},
        BadDefinition{"object f: TfrmAmostra\n  FormStyle = fsFlutuante\nend\n",
                      "ruim.dfm:2: valor desconhecido 'fsFlutuante'"},
        BadDefinition{"object f: TfrmAmostra\n  object m: TMainMenu\n    object i: TMenuItem [x]\n"
                      "    end\n  end\nend\n",
                      "ruim.dfm:3: posição do objeto esperada entre colchetes"}));

// A derived definition puts its new menu items where it says among the inherited ones;
// without a place they go last.
TEST_F(FormDefinitions, NewMenuItemsTakeThePlaceTheyNameAmongInheritedOnes) {
    constexpr const char* base = R"(object frmMenuBase: TfrmMenuBase
  Menu = mnuPrincipal
  object mnuPrincipal: TMainMenu
    object mnuOperacao: TMenuItem
      Caption = 'Operação'
      object mnuA: TMenuItem
        Caption = 'A'
      end
      object mnuB: TMenuItem
        Caption = 'B'
      end
      object mnuC: TMenuItem
        Caption = 'C'
      end
    end
  end
end
)";
    constexpr const char* derived = R"(inherited frmMenu: TfrmMenu
  inherited mnuPrincipal: TMainMenu
    inherited mnuOperacao: TMenuItem
      object mnuX: TMenuItem [1]
        Caption = 'X'
      end
      object mnuY: TMenuItem [2]
        Caption = 'Y'
      end
      object mnuZ: TMenuItem
        Caption = 'Z'
      end
      object mnuW: TMenuItem [0]
        Caption = 'W'
      end
    end
  end
end
)";
    ModuleRegistry::Instance().RegisterModule("menus",
                                              {{"TfrmMenuBase", "", "menubase.dfm", base},
                                               {"TfrmMenu", "TfrmMenuBase", "menu.dfm", derived}});
    TForm form;
    InitInheritedComponent(form, "TfrmMenu", PublishedTable());
    ModuleRegistry::Instance().UnregisterModule("menus");
    std::vector<std::string> names;
    for (const TMenuItem* item : Find<TMenuItem>(form, "mnuOperacao")->Items()) {
        names.push_back(item->Name());
    }
    EXPECT_THAT(names, ElementsAre("mnuW", "mnuA", "mnuX", "mnuY", "mnuB", "mnuC", "mnuZ"));
}

TEST_F(FormDefinitions, ALanguageFileBesideTheModuleReplacesItsOwnResources) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("oca_mod_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string module = (dir / "libAMOSTRA.so").string();
    const std::vector<FormResource> own = {{"TfrmBase", "", "base.dfm", kBase}};
    EXPECT_EQ(LoadResourceModule(module, own).front().text, kBase);

    std::vector<FormResource> translated = own;
    translated.front().text =
        std::string(kBase).replace(std::string(kBase).find("'Base'"), 6, "'Básica'");
    std::ofstream(module + ".pt_BR") << WriteResourceBundle(translated);
    const auto loaded = LoadResourceModule(module, own);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_THAT(loaded.front().text, HasSubstr("'Básica'"));
    EXPECT_EQ(loaded.front().baseClass, "");

    ModuleRegistry::Instance().RegisterModule("traduzido", loaded);
    TForm form;
    InitInheritedComponent(form, "TfrmBase", PublishedTable());
    EXPECT_EQ(form.Caption(), "Básica");
    ModuleRegistry::Instance().UnregisterModule("traduzido");
    EXPECT_TRUE(ModuleRegistry::Instance().IsRegistered("amostra"));
    std::filesystem::remove_all(dir);
}

TEST_F(FormDefinitions, AnUnregisteredClassCannotBeBuilt) {
    ModuleRegistry::Instance().UnregisterModule("amostra");
    TfrmAmostra form;
    EXPECT_THROW(InitInheritedComponent(form, "TfrmAmostra", TfrmAmostra::Published()),
                 EFormDefinitionError);
}

} // namespace
