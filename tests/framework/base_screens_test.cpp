#include "framework/controls/application.h"
#include "framework/forms/form_loader.h"
#include "framework/host/frm_filtro_padrao.h"
#include "framework/host/frm_padrao.h"
#include "framework/host/host_context.h"
#include "framework/host/option_store.h"
#include "framework/script/scripted_ui_driver.h"

#include "dataset_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using ::testing::ElementsAre;

namespace {

class BaseScreens : public ::testing::Test {
protected:
    void SetUp() override {
        SetUi(&ui);
        dir = std::filesystem::temp_directory_path() /
              ("oca_opcoes_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        Host().configDir = dir.string();
    }
    void TearDown() override {
        Host().configDir.clear();
        std::filesystem::remove_all(dir);
        SetUi(nullptr);
    }
    ScriptedUiDriver ui;
    std::filesystem::path dir;
};

TEST_F(BaseScreens, TheMaintenanceScreenEditsItsRecordFromButtonsAndMenus) {
    auto* form = Application->CreateForm<TfrmPadrao>();
    TClientDataSet cds(form);
    cds.SetName("cdsRegistro");
    form->dtsPadrao->SetDataSet(&cds);
    cds.SetData(OccurrencePacket(3));
    form->Show();
    EXPECT_EQ(form->pgcPadrao->ActivePage(), form->tshFolhaDados) << "FormCreate shows the list";
    EXPECT_TRUE(form->mnuFolhaDados->Checked());
    EXPECT_EQ(form->msgMensagensPadroes->Msg("Excl"), "Confirma a exclusão do registro?");
    EXPECT_EQ(form->msgMensagensPadroes->Msg("Canc"), "Confirma o cancelamento das alterações?");

    form->sbtIncluir->UserClick();
    EXPECT_EQ(cds.State(), dsInsert);
    cds.FieldByName("NROCORRMOV").SetAsString("0000000099");
    form->mnuConfirmar->UserClick();
    EXPECT_EQ(cds.State(), dsBrowse);
    EXPECT_EQ(cds.RecordCount(), 4u);
    form->sbtAlterar->UserClick();
    EXPECT_EQ(cds.State(), dsEdit);
    form->sbtCancelar->UserClick();
    EXPECT_EQ(cds.State(), dsBrowse);

    form->mnuFormulario->UserClick();
    EXPECT_EQ(form->pgcPadrao->ActivePage(), form->tshFormulario);
    EXPECT_TRUE(form->mnuFormulario->Checked());
    EXPECT_FALSE(form->mnuFolhaDados->Checked());

    ui.QueueChoice("NROCORRMOV", Variant("0000000002"));
    form->sbtProcurar->UserClick();
    EXPECT_EQ(cds.FieldByName("NMRAZSOC").AsString(), "Empresa 2");

    form->SetHelpFile("OcaHelp.hlp");
    form->SetHelpContext(12500800);
    form->sbtAjuda->UserClick();
    EXPECT_EQ(ui.Journal().back(), "help: OcaHelp.hlp 12500800");

    const size_t before = Application->ComponentCount();
    form->dtsPadrao->SetDataSet(nullptr);
    Application->Dispatch([&] { form->sbtFechar->UserClick(); });
    EXPECT_EQ(Application->ComponentCount(), before - 1) << "closing frees the screen";
}

// A filter screen of its own, as a module would write one: criteria inside the base's
// group box and the option handlers replaced, each ending in the base's.
constexpr const char* kFiltro = R"(inherited frmFiltroTeste: TfrmFiltroTeste
  Caption = 'Filtro de teste'
  inherited lblCodTela: TLabel
    Caption = 'TST00001'
  end
  inherited grbFiltroPadrao: TGroupBox
    object grpFilial: TGroupBox
      object rbtFiliTodos: TRadioButton
        Checked = True
      end
      object rbtFiliLista: TRadioButton
        OnClick = rbtFiliListaClick
      end
    end
    object chkCliente: TCheckBox
      Checked = True
    end
    object depPerIni: TDateEditPlus
    end
  end
end
)";

class TfrmFiltroTeste : public TfrmFiltroPadrao {
public:
    explicit TfrmFiltroTeste(TComponent* Owner = nullptr) : TfrmFiltroPadrao(Owner, Inherited{}) {
        InitInheritedComponent(*this, "TfrmFiltroTeste", Published());
        AfterLoad();
    }
    static const PublishedTable& Published() {
        static const PublishedTable table = [] {
            PublishedTable t;
            t.Handler("btfSaveOpcClick", &TfrmFiltroTeste::btfSaveOpcClick);
            t.Handler("btfLoadOpcClick", &TfrmFiltroTeste::btfLoadOpcClick);
            t.Handler("rbtFiliListaClick", &TfrmFiltroTeste::rbtFiliListaClick);
            t.Component("rbtFiliLista", &TfrmFiltroTeste::rbtFiliLista);
            t.Component("chkCliente", &TfrmFiltroTeste::chkCliente);
            t.Component("depPerIni", &TfrmFiltroTeste::depPerIni);
            t.Inherit(TfrmFiltroPadrao::Published());
            return t;
        }();
        return table;
    }
    void btfSaveOpcClick(TObject* Sender) {
        Options.SetValues("stFilial", selFilial);
        TfrmFiltroPadrao::btfSaveOpcClick(Sender);
    }
    void btfLoadOpcClick(TObject* Sender) {
        selFilial = Options.Values("stFilial"); // the set is in the list already
        TfrmFiltroPadrao::btfLoadOpcClick(Sender);
    }
    void rbtFiliListaClick(TObject*) { ++listClicks; }

    std::string selFilial;
    int listClicks = 0;
    TRadioButton* rbtFiliLista = nullptr;
    TCheckBox* chkCliente = nullptr;
    TDateEditPlus* depPerIni = nullptr;
};

class FilterOptions : public BaseScreens {
protected:
    void SetUp() override {
        BaseScreens::SetUp();
        RegisterBaseScreens();
        ModuleRegistry::Instance().RegisterModule(
            "teste", {{"TfrmFiltroTeste", "TfrmFiltroPadrao", "filtro.dfm", kFiltro}});
        form = std::make_unique<TfrmFiltroTeste>();
        form->DoCreate();
        form->Show();
    }
    void TearDown() override {
        form.reset();
        ModuleRegistry::Instance().UnregisterModule("teste");
        BaseScreens::TearDown();
    }
    std::unique_ptr<TfrmFiltroTeste> form;
};

TEST_F(FilterOptions, ASavedSetComesBackWithTheControlsAndTheScreensOwnKeys) {
    EXPECT_EQ(form->listClicks, 0) << "no handler runs while the definition loads";
    form->rbtFiliLista->UserClick();
    form->chkCliente->UserClick();
    form->depPerIni->UserType("01112026");
    form->selFilial = "|0001|0003|";
    ui.QueueInput("Novembro");
    form->btfSaveOpc->UserClick();
    ASSERT_EQ(form->OptionSetName(), "Novembro");
    EXPECT_THAT(ui.Status(), ::testing::StartsWith("Opções \"Novembro\" gravadas em /"));

    // Change everything, then load the set back.
    dynamic_cast<TRadioButton*>(form->FindComponent("rbtFiliTodos"))->SetChecked(true);
    form->chkCliente->SetChecked(true);
    form->depPerIni->SetText("");
    form->selFilial.clear();
    form->Options.Clear();
    form->listClicks = 0;
    ui.QueueChoice("NMOPCAO", Variant("Novembro"));
    form->btfLoadOpc->UserClick();
    EXPECT_TRUE(form->rbtFiliLista->Checked());
    EXPECT_EQ(form->listClicks, 1) << "restoring a radio button runs its click";
    EXPECT_FALSE(form->chkCliente->Checked());
    EXPECT_EQ(form->depPerIni->EditText(), "01/11/2026");
    EXPECT_EQ(form->selFilial, "|0001|0003|");
}

TEST_F(FilterOptions, WithNoSavedSetsLoadingRunsNoHandler) {
    form->selFilial = "mantida";
    form->btfLoadOpc->UserClick();
    EXPECT_EQ(form->selFilial, "mantida");
    EXPECT_EQ(ui.TakeJournal().back(),
              "pesquisa: Opções salvas -> vazia: Não há opções salvas para esta tela.");
    ui.QueueInput("Único");
    form->btfSaveOpc->UserClick();
    ui.QueueCancel();
    form->btfLoadOpc->UserClick();
    EXPECT_EQ(form->selFilial, "mantida") << "a cancelled choice loads nothing";
}

TEST_F(FilterOptions, SetsAreKeptPerScreenAndOperator) {
    ui.QueueInput("A");
    form->btfSaveOpc->UserClick();
    const std::string saved = form->cdsCarregaOpcoes->FieldByName("NMOPCAO").AsString();
    EXPECT_EQ(saved, "A");
    Host().operatorCode = "777";
    OptionStore other(dir.string(), "TST00001", "777");
    EXPECT_TRUE(other.Names().empty());
    Host().operatorCode = "001";
    OptionStore mine(dir.string(), "TST00001", "001");
    EXPECT_THAT(mine.Names(), ElementsAre("A"));
}

TEST_F(BaseScreens, AnOptionSetSurvivesACrashBetweenWriteAndRename) {
    OptionStore store(dir.string(), "OCA00801", "001");
    TStrings first{"stFilial=|0001|", "rbtFiliLista=S"};
    store.Save("Primeiro", first);
    TStrings second{"stFilial=|0002|"};
    store.BeforeRename = [] {
        throw std::runtime_error("queda de energia");
    };
    EXPECT_THROW(store.Save("Segundo", second), std::runtime_error);
    store.BeforeRename = nullptr;
    // The old file is whole: the first set reads back, the second never arrived.
    OptionStore reopened(dir.string(), "OCA00801", "001");
    EXPECT_THAT(reopened.Names(), ElementsAre("Primeiro"));
    EXPECT_EQ(reopened.Load("Primeiro")->Values("stFilial"), "|0001|");
    // The next save goes through and replaces the left-over temporary file.
    reopened.Save("Segundo", second);
    EXPECT_THAT(OptionStore(dir.string(), "OCA00801", "001").Names(),
                ElementsAre("Primeiro", "Segundo"));
    reopened.Save("Primeiro", second);
    EXPECT_EQ(reopened.Load("Primeiro")->Values("stFilial"), "|0002|");
    reopened.Remove("Primeiro");
    EXPECT_THAT(reopened.Names(), ElementsAre("Segundo"));
}

TEST_F(BaseScreens, ADamagedOptionFileReadsAsNoSets) {
    OptionStore store(dir.string(), "OCA00801", "001");
    std::filesystem::create_directories(dir);
    std::ofstream(store.Path()) << "{ isto não é json";
    EXPECT_TRUE(store.Names().empty());
    store.Save("Novo", TStrings{"a=1"});
    EXPECT_THAT(store.Names(), ElementsAre("Novo"));
}

TEST_F(BaseScreens, NameValueRulesOfTheOptionList) {
    TStrings list;
    list.SetValues("stFilial", "|0001|");
    list.SetValues("STFILIAL", "|0002|");
    EXPECT_EQ(list.Count(), 1u) << "names ignore case";
    EXPECT_EQ(list.Values("stfilial"), "|0002|");
    list.Add("stCPF=a=b");
    EXPECT_EQ(list.Values("stCPF"), "a=b") << "the value is everything after the first '='";
    list.SetValues("stFilial", "");
    EXPECT_EQ(list.IndexOfName("stFilial"), -1) << "an empty value removes the line";
    EXPECT_EQ(list.Values("stNada"), "");
}

} // namespace
