#include "sample_form.h"

#include "core/empty_fields.h"
#include "core/selection.h"
#include "framework/controls/format_panel.h"

#include "core/exceptions.h"
#include "framework/host/consiste.h"
#include "framework/host/host_dialogs.h"
#include "framework/host/messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

class Forms : public ::testing::Test {
protected:
    void SetUp() override { SetUi(&ui); }
    void TearDown() override { SetUi(nullptr); }
    ScriptedUiDriver ui;
};

TEST_F(Forms, DispatchStopsEveryErrorAndShowsAllButAbort) {
    EXPECT_TRUE(Application->Dispatch([] {}));
    EXPECT_FALSE(Application->Dispatch([] { throw EAbort(); }));
    EXPECT_FALSE(Application->Dispatch([] { throw EDatabaseError("Tabela trancada"); }));
    EXPECT_FALSE(Application->Dispatch([] { throw std::runtime_error("falha"); }));
    EXPECT_FALSE(Application->Dispatch([] { throw 42; }));
    EXPECT_THAT(ui.TakeJournal(),
                ElementsAre("error: Tabela trancada", "error: Erro interno: falha",
                            "error: Erro interno desconhecido"));
}

TEST_F(Forms, CreateShowActivateAndModalReturnInOrder) {
    std::vector<std::string> steps;
    auto* main = Application->CreateForm<SampleForm>();
    main->SetName("frmRegistro");
    main->OnActivate = [&](TObject*) {
        steps.push_back("activate registro");
    };
    auto* modal = Application->CreateForm<TForm>();
    modal->SetName("frmFiltro");
    modal->OnCreate = [&](TObject*) {
        steps.push_back("never: created before the handler");
    };
    modal->OnActivate = [&](TObject*) {
        steps.push_back("activate filtro");
    };
    main->Show();
    ui.QueueModal([&](TForm& f) {
        steps.push_back("body");
        f.SetModalResult(mrOk);
        return mrNone;
    });
    EXPECT_EQ(modal->ShowModal(), mrOk);
    EXPECT_FALSE(modal->Showing());
    EXPECT_THAT(steps,
                ElementsAre("activate registro", "activate filtro", "body", "activate registro"));
    EXPECT_THAT(ui.TakeJournal(),
                ElementsAre("show: frmRegistro", "modal: frmFiltro", "modal: frmFiltro -> Ok"));
    // A modal form closed without a result answers Cancel.
    ui.QueueModal([](TForm& f) {
        f.Close();
        return mrNone;
    });
    EXPECT_EQ(modal->ShowModal(), mrCancel);
    Application->Release(modal);
    Application->Release(main);
}

TEST_F(Forms, AModalShownFromAnActivationDoesNotReactivateItsOwnerInside) {
    TForm owner, dialog;
    owner.SetName("frmDono");
    dialog.SetName("frmDialogo");
    int activations = 0;
    owner.OnActivate = [&](TObject*) {
        if (++activations == 1) {
            dialog.ShowModal(); // returning from it makes the owner active again
        }
    };
    owner.Show();
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(Application->ActiveForm(), &owner);
    owner.Show();
    EXPECT_EQ(activations, 2) << "a later activation runs the handler again";
}

TEST_F(Forms, CloseRunsTheCloseEventsAndFreesOnRequest) {
    auto* form = Application->CreateForm<TForm>();
    const size_t before = Application->ComponentCount();
    form->Show();
    bool allow = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        canClose = allow;
    };
    form->Close();
    EXPECT_TRUE(form->Showing());
    allow = true;
    form->OnClose = [](TObject*, TCloseAction& action) {
        action = caFree;
    };
    // Freed only when the dispatch that closed it is over.
    Application->Dispatch([&] {
        form->Close();
        EXPECT_EQ(Application->ComponentCount(), before);
    });
    EXPECT_EQ(Application->ComponentCount(), before - 1);
}

TEST_F(Forms, DocumentWindowsMinimiseByDefault) {
    TForm form;
    form.SetFormStyle(fsMDIChild);
    form.Show();
    TCloseAction seen = caNone;
    form.OnClose = [&](TObject*, TCloseAction& action) {
        seen = action;
    };
    form.Close();
    EXPECT_EQ(seen, caMinimize);
    EXPECT_TRUE(form.Showing());
    EXPECT_EQ(form.WindowState(), wsMinimized);
}

// A form whose OnCreate raises is not left among the application's forms.
TEST_F(Forms, AFormWhoseCreationFailsIsFreed) {
    struct Failing : TForm {
        explicit Failing(TComponent* Owner) : TForm(Owner) {
            OnCreate = [](TObject*) {
                throw Exception("falhou");
            };
        }
    };
    const size_t before = Application->ComponentCount();
    EXPECT_THROW(Application->CreateForm<Failing>(), Exception);
    EXPECT_EQ(Application->ComponentCount(), before);
}

TEST_F(Forms, CursorGuardsNestAndRestoreOnErrors) {
    {
        TCursorGuard outer(crHourGlass);
        try {
            TCursorGuard inner(crSQLWait);
            throw EAbort();
        } catch (const EAbort&) {
        }
        EXPECT_EQ(Application->Cursor(), crHourGlass);
    }
    EXPECT_EQ(Application->Cursor(), crDefault);
    EXPECT_THAT(ui.TakeJournal(), ElementsAre("cursor: hourglass", "cursor: sqlwait",
                                              "cursor: hourglass", "cursor: default"));
}

// The progress notice goes on any path out of its scope, once: hidden early before a
// message, or by a refusal that ends the operation.
TEST_F(Forms, AProgressNoticeIsHiddenOnceOnEveryPathOut) {
    {
        TProgressNotice notice(nullptr, 1, "Gravando...");
        notice.Hide();
        notice.Hide();
    }
    EXPECT_THROW(
        {
            const TProgressNotice notice(nullptr, 6, "Recebendo...");
            Consiste::MensErro("Recusada.");
        },
        EAbort);
    EXPECT_THAT(ui.TakeJournal(), ElementsAre("progress: principal 1 Gravando...", "progress: hide",
                                              "progress: principal 6 Recebendo...",
                                              "error: Recusada.", "progress: hide"));
}

TEST_F(Forms, HostUnitsShowThroughTheDriver) {
    EXPECT_THROW(Consiste::MensErro("Filial deve ser informada."), EAbort);
    EXPECT_NO_THROW(Consiste::MensErro("só aviso", false));
    const Variant fine = Consiste::CheckResultServ(Variant("0000000012"));
    EXPECT_EQ(fine, Variant("0000000012"));
    EXPECT_THROW(
        Consiste::CheckResultServ(Variant(ServerError{"Ocorrência alterada por outro usuário."})),
        EAbort);
    Showavi::ActiveShowAvi(nullptr, 6, "Carregando ocorrências...");
    Showavi::DeactiveShowAvi();
    TMessages msg;
    msg.Messages.Add("Excl|Confirma a exclusão do registro?");
    ui.QueueAnswer(true);
    EXPECT_EQ(msg.ShowMsg("Excl", mtConfirmation, mbYes | mbNo), mrYes);
    EXPECT_EQ(msg.ShowMsg("Excl", mtConfirmation, mbYes | mbNo), mrNo);
    EXPECT_THAT(ui.TakeJournal(),
                ElementsAre("error: Filial deve ser informada.", "error: só aviso",
                            "error: Ocorrência alterada por outro usuário.",
                            "progress: principal 6 Carregando ocorrências...", "progress: hide",
                            "confirm: Confirma a exclusão do registro? -> Sim",
                            "confirm: Confirma a exclusão do registro? -> Não"));
}

// The list of empty fields is read by the server as the register writes it: each name
// framed by the character of code 191, whole names only.
TEST(EmptyFields, TheServerReadsTheNamesTheRegisterWrites) {
    EXPECT_EQ(EncodeEmptyFields({}), "");
    const std::string list = EncodeEmptyFields({"CDCLIENTE", "NRTAREFA"});
    EXPECT_EQ(list, "\xC2\xBF"
                    "CDCLIENTE\xC2\xBF\xC2\xBF"
                    "NRTAREFA\xC2\xBF");
    EXPECT_EQ(DecodeEmptyFields(list), (std::set<std::string>{"CDCLIENTE", "NRTAREFA"}));
    EXPECT_EQ(DecodeEmptyFields(list + "\xC2\xBF"
                                       "CDPROSPECT"),
              (std::set<std::string>{"CDCLIENTE", "NRTAREFA"}))
        << "an unframed tail names nothing";
    EXPECT_TRUE(DecodeEmptyFields("CDCLIENTE").empty());
}

TEST_F(Forms, MultiChoiceSearchKeepsEarlierMarksAndMatchesWholeKeys) {
    SampleForm form;
    form.LoadBranches(3);
    std::string selection;
    ui.QueueMarks(std::vector<std::string>{"0001", "0003"});
    EXPECT_TRUE(Pesqlista::PesquisaLista(*form.dtsBranches, "CDFILIAL", "Filial|Não há filial.",
                                         false, selection));
    EXPECT_EQ(selection, "|0001|0003|");
    EXPECT_TRUE(SelectionHas(selection, "0003"));
    EXPECT_FALSE(SelectionHas(selection, "000")) << "never a part of a key";
    EXPECT_FALSE(SelectionHas(selection, "1|0003")) << "never across two neighbours";
    ui.QueueMarks(std::nullopt);
    EXPECT_FALSE(
        Pesqlista::PesquisaLista(*form.dtsBranches, "CDFILIAL", "Filial", false, selection));
    EXPECT_EQ(selection, "|0001|0003|") << "a cancelled window keeps the marks";
    ui.QueueMarks(std::vector<std::string>{});
    EXPECT_TRUE(
        Pesqlista::PesquisaLista(*form.dtsBranches, "CDFILIAL", "Filial", false, selection));
    EXPECT_EQ(selection, "");
    form.LoadBranches(0);
    EXPECT_FALSE(Pesqlista::PesquisaLista(*form.dtsBranches, "CDFILIAL", "Filial|Não há filial.",
                                          false, selection));
    EXPECT_EQ(ui.Journal().back(), "lista: Filial -> vazia: Não há filial.");
}

TEST_F(Forms, SetaCampoNullTurnsBlankTextsIntoNull) {
    SampleForm form;
    form.LoadRecords();
    form.cds->Edit();
    form.cds->FieldByName("NMFILIAL").SetAsString("   ");
    Consiste::Seta_Campo_Null(*form.cds);
    EXPECT_TRUE(form.cds->FieldByName("NMFILIAL").IsNull());
    EXPECT_EQ(form.cds->FieldByName("CDFILIAL").AsString(), "0001");
}

TEST_F(Forms, FormatPanelToolsFollowSetChildEnabled) {
    TFormatPanel panel;
    ASSERT_EQ(panel.ControlCount(), TFormatPanel::kToolCount);
    EXPECT_EQ(panel.Tool(ftAlignCenter)->Hint(), "Alinhar centralizado");
    EXPECT_EQ(panel.Tool(ftColor)->Hint(), "Cores");
    Consiste::SetChildEnabled(panel, false);
    for (size_t i = 0; i < panel.ControlCount(); ++i) {
        EXPECT_FALSE(panel.Controls(i)->Enabled());
    }
}

TEST_F(Forms, TabValidRejectsCodesOutsideThePicture) {
    TDataSource source;
    std::string good = "0102003";
    EXPECT_TRUE(Tabvalid::ValidEx(source, 0, good, 0, "", true));
    std::string bad = "01A2";
    EXPECT_THROW(Tabvalid::ValidEx(source, 0, bad, 0, "", true), EAbort);
    EXPECT_FALSE(Tabvalid::ValidEx(source, 0, bad, 0, "Produto fora do formato.", false));
    EXPECT_EQ(ui.Journal().back(), "error: Produto fora do formato.");
}

} // namespace
