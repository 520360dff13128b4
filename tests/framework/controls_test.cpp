#include "sample_form.h"

#include "core/exceptions.h"
#include "framework/host/consiste.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        SetUi(&ui);
        form.LoadRecords();
        form.LoadBranches(3);
        form.pgc->SetActivePage(form.tshForm);
        form.SetActiveControl(form.dbeCdFilial);
        form.Show();
        ui.TakeJournal();
    }
    void TearDown() override { SetUi(nullptr); }

    ScriptedUiDriver ui;
    SampleForm form;
};

TEST_F(Controls, AnEditShowsItsFieldThroughTheFieldsMask) {
    EXPECT_EQ(form.dbeCdFilial->EditText(), "0001");
    EXPECT_EQ(form.dbeNmFilial->EditText(), "Matriz");
    EXPECT_EQ(form.dbdData->EditText(), "10/11/2026");
    form.cds->Next();
    EXPECT_EQ(form.dbeNmFilial->EditText(), "Curitiba");
    EXPECT_EQ(form.dbdData->EditText(), "  /  /    ");
    // Removing the field's mask rewrites the edit's text at once.
    form.cds->FieldByName("CDFILIAL").SetEditMask("9.9.9.9;0;_");
    EXPECT_EQ(form.dbeCdFilial->EditText(), "0.0.0.2");
}

TEST_F(Controls, TypingInBrowseEditsAndTheTextReachesTheFieldBeforeTheExit) {
    std::string seenAtExit;
    form.dbeNmFilial->OnExit = [&](TObject*) {
        seenAtExit = form.cds->FieldByName("NMFILIAL").AsString();
    };
    ASSERT_TRUE(form.dbeNmFilial->UserFocus());
    ASSERT_TRUE(form.dbeNmFilial->UserType("Matriz SP"));
    EXPECT_EQ(form.cds->State(), dsEdit);
    EXPECT_EQ(form.cds->FieldByName("NMFILIAL").AsString(), "Matriz") << "not yet written";
    ASSERT_TRUE(form.medHora->UserFocus());
    EXPECT_EQ(seenAtExit, "Matriz SP");
}

TEST_F(Controls, TheTypedTextIsWrittenBeforeAPost) {
    form.dbeNmFilial->UserFocus();
    form.dbeNmFilial->UserType("Antes do post");
    form.cds->Post();
    EXPECT_EQ(form.cds->FieldByName("NMFILIAL").AsString(), "Antes do post");
    // A masked code is stored without the mask's literals and blanks.
    form.dbeCdFilial->UserFocus();
    form.dbeCdFilial->UserType("12");
    EXPECT_EQ(form.dbeCdFilial->EditText(), "12  ");
    form.cds->Post();
    EXPECT_EQ(form.cds->FieldByName("CDFILIAL").AsString(), "12");
}

TEST_F(Controls, ARefusingBeforeEditKeepsTheTextAndTheState) {
    form.cds->BeforeEdit = [](TDataSet*) {
        Consiste::MensErro("Operador não tem permissão para alterar ocorrência.");
    };
    form.dbeNmFilial->UserFocus();
    EXPECT_FALSE(Application->Dispatch([&] { form.dbeNmFilial->UserType("Nova"); }));
    EXPECT_EQ(form.cds->State(), dsBrowse);
    EXPECT_EQ(form.dbeNmFilial->EditText(), "Matriz");
    EXPECT_THAT(ui.TakeJournal(),
                ElementsAre("error: Operador não tem permissão para alterar ocorrência."));
}

TEST_F(Controls, AFieldChangedByCodeRefreshesTheEditAndFiresItsChange) {
    int changes = 0;
    form.dbeNmFilial->OnChange = [&](TObject*) {
        ++changes;
    };
    form.cds->Edit();
    form.cds->FieldByName("NMFILIAL").SetAsString("Por código");
    EXPECT_EQ(form.dbeNmFilial->EditText(), "Por código");
    EXPECT_EQ(changes, 1);
    form.cds->FieldByName("NMFILIAL").SetAsString("Por código");
    EXPECT_EQ(changes, 1) << "the same text is no change";
}

TEST_F(Controls, ARaiseInAnExitKeepsTheFocusWhereTheHandlerLeftIt) {
    form.dbeCdFilial->OnExit = [](TObject*) {
        Consiste::MensErro("Filial não cadastrada.");
    };
    EXPECT_FALSE(Application->Dispatch([&] { form.dbeNmFilial->UserFocus(); }));
    EXPECT_EQ(form.ActiveControl(), form.dbeCdFilial);
    EXPECT_THAT(ui.TakeJournal(), ElementsAre("error: Filial não cadastrada."));

    // A handler that moves the focus itself before raising decides where it stays.
    form.dbeCdFilial->OnExit = [&](TObject*) {
        form.dbdData->SetFocus();
        throw EAbort();
    };
    EXPECT_FALSE(Application->Dispatch([&] { form.dbeNmFilial->UserFocus(); }));
    EXPECT_EQ(form.ActiveControl(), form.dbdData);
}

TEST_F(Controls, TabFollowsTheTabOrderAndSkipsWhatCannotTakeTheFocus) {
    form.rbtCliente->SetEnabled(false);
    std::vector<std::string> visited;
    for (int i = 0; i < 7; ++i) {
        form.SelectNext();
        visited.push_back(form.ActiveControl()->Name());
    }
    // The list page is hidden, so its grid is out of the order; the disabled edit too.
    EXPECT_THAT(visited, ElementsAre("rbtForne", "dbeNmFilial", "dbdData", "medHora", "pgcPadrao",
                                     "dbeCdFilial", "rbtForne"));
    form.SelectNext(false);
    EXPECT_EQ(form.ActiveControl(), form.dbeCdFilial);
}

TEST_F(Controls, RadioButtonsCheckedFromCodeRunTheirClickAndUncheckSiblings) {
    std::vector<std::string> clicks;
    form.rbtForne->OnClick = [&](TObject*) {
        clicks.push_back("forne");
    };
    form.rbtCliente->OnClick = [&](TObject*) {
        clicks.push_back("cliente");
    };
    form.rbtForne->SetChecked(true);
    form.rbtCliente->SetChecked(true);
    EXPECT_FALSE(form.rbtForne->Checked());
    EXPECT_THAT(clicks, ElementsAre("forne", "cliente"));
    form.rbtForne->SetEnabled(false);
    EXPECT_FALSE(form.rbtForne->UserClick());
    EXPECT_TRUE(form.rbtCliente->Checked());
    // A click on the button already selected, by a person or from code, runs nothing.
    EXPECT_TRUE(form.rbtCliente->UserClick());
    form.rbtCliente->Click();
    form.rbtCliente->SetChecked(true);
    EXPECT_THAT(clicks, ElementsAre("forne", "cliente"));
    EXPECT_TRUE(form.rbtCliente->Checked());
}

// An exit handler that moves the focus elsewhere without raising decides where it goes:
// the control the person aimed at does not take it.
// A field's FocusControl moves the focus to the control that shows it, its exits run
// first; a field no control shows leaves the focus where it is.
TEST_F(Controls, AFieldFocusesTheControlThatShowsIt) {
    std::vector<std::string> exits;
    form.dbeCdFilial->OnExit = [&](TObject*) {
        exits.push_back("dbeCdFilial");
    };
    form.cds->FieldByName("DTOCORRMOV").FocusControl();
    EXPECT_EQ(form.ActiveControl(), form.dbdData);
    EXPECT_THAT(exits, ElementsAre("dbeCdFilial"));
    form.branches->FieldByName("NMFILIAL").FocusControl();
    EXPECT_EQ(form.ActiveControl(), form.dbdData);
}

// Docked controls take their side in the desktop framework's order and the client one
// the rest; anchored ones keep their distances when the container grows.
TEST(Layout, AlignAndAnchorsFollowTheContainersSize) {
    TPanel box;
    box.SetBounds(0, 0, 100, 100);
    auto make = [&box](TAlign align, int w, int h) {
        auto* c = new TPanel(&box);
        c->SetParent(&box);
        c->SetBounds(0, 0, w, h);
        c->SetAlign(align);
        return c;
    };
    TPanel* client = make(alClient, 1, 1);
    TPanel* top = make(alTop, 0, 10);
    TPanel* bottom = make(alBottom, 0, 20);
    TPanel* left = make(alLeft, 5, 0);
    auto* anchored = new TPanel(&box);
    anchored->SetParent(&box);
    anchored->SetBounds(80, 40, 10, 10);
    anchored->SetAnchors(akTop | akRight);
    auto* stretched = new TPanel(&box);
    stretched->SetParent(&box);
    stretched->SetBounds(10, 60, 70, 10);
    stretched->SetAnchors(akLeft | akRight | akBottom | akTop);
    const auto bounds = [](const TControl* c) {
        return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()};
    };
    EXPECT_EQ(bounds(top), (std::vector<int>{0, 0, 100, 10}));
    EXPECT_EQ(bounds(bottom), (std::vector<int>{0, 80, 100, 20}));
    EXPECT_EQ(bounds(left), (std::vector<int>{0, 10, 5, 70}));
    EXPECT_EQ(bounds(client), (std::vector<int>{5, 10, 95, 70}));
    box.SetBounds(0, 0, 200, 300);
    EXPECT_EQ(bounds(top), (std::vector<int>{0, 0, 200, 10}));
    EXPECT_EQ(bounds(bottom), (std::vector<int>{0, 280, 200, 20}));
    EXPECT_EQ(bounds(client), (std::vector<int>{5, 10, 195, 270}));
    EXPECT_EQ(bounds(anchored), (std::vector<int>{180, 40, 10, 10}));
    EXPECT_EQ(bounds(stretched), (std::vector<int>{10, 60, 170, 210}));
    // A docked control that changes its own height moves the others.
    top->SetBounds(0, 0, 200, 30);
    EXPECT_EQ(bounds(client), (std::vector<int>{5, 30, 195, 250}));
}

TEST_F(Controls, AnExitThatMovesTheFocusWithoutRaisingLeavesItThere) {
    form.dbeCdFilial->OnExit = [&](TObject*) {
        form.dbdData->SetFocus();
    };
    EXPECT_TRUE(Application->Dispatch([&] { form.dbeNmFilial->UserFocus(); }));
    EXPECT_EQ(form.ActiveControl(), form.dbdData);
    EXPECT_THAT(ui.TakeJournal(), ElementsAre());
}

TEST_F(Controls, PagesChangeSilentlyFromCodeAndOnlyToEnabledPagesByUsers) {
    int changes = 0;
    form.pgc->OnChange = [&](TObject*) {
        ++changes;
    };
    form.pgc->SetActivePage(form.tshList);
    EXPECT_EQ(changes, 0);
    form.tshForm->SetEnabled(false);
    EXPECT_FALSE(form.pgc->UserSelectPage(form.tshForm));
    EXPECT_EQ(form.pgc->ActivePage(), form.tshList);
    form.tshForm->SetEnabled(true);
    EXPECT_TRUE(form.pgc->UserSelectPage(form.tshForm));
    EXPECT_EQ(changes, 1);
    form.pgc->OnChanging = [](TObject*, bool& allow) {
        allow = false;
    };
    EXPECT_FALSE(form.pgc->UserSelectPage(form.tshList));
    EXPECT_EQ(form.pgc->ActivePage(), form.tshForm);
}

TEST_F(Controls, DisabledControlsRefuseUsers) {
    EXPECT_FALSE(form.edtDisabled->UserType("x"));
    EXPECT_FALSE(form.edtDisabled->UserFocus());
    form.tshForm->SetEnabled(false); // a disabled parent disables what it holds
    EXPECT_FALSE(form.dbeNmFilial->UserType("x"));
    EXPECT_FALSE(form.dbeNmFilial->UserKeyDown(VK_DELETE));
    EXPECT_EQ(form.cds->State(), dsBrowse);
    form.edtDisabled->SetText("por código");
    EXPECT_EQ(form.edtDisabled->Text(), "por código") << "code may still write";
}

// A read-only edit takes the focus (to read or copy) but no typing: its text, its field
// and its data set's state stay as they were; code may still write it.
TEST_F(Controls, ReadOnlyEditsRefuseTyping) {
    form.edtDisabled->SetEnabled(true);
    form.edtDisabled->SetText("antes");
    form.edtDisabled->SetReadOnly(true);
    EXPECT_FALSE(form.edtDisabled->UserType("x"));
    EXPECT_EQ(form.edtDisabled->Text(), "antes");
    const std::string stored = form.cds->FieldByName("NMFILIAL").AsString();
    form.dbeNmFilial->SetReadOnly(true);
    EXPECT_TRUE(form.dbeNmFilial->UserFocus());
    EXPECT_FALSE(form.dbeNmFilial->UserType("x"));
    EXPECT_EQ(form.cds->State(), dsBrowse);
    EXPECT_EQ(form.cds->FieldByName("NMFILIAL").AsString(), stored);
    form.dbeNmFilial->SetReadOnly(false);
    EXPECT_TRUE(form.dbeNmFilial->UserType("x"));
    form.edtDisabled->SetText("por código");
    EXPECT_EQ(form.edtDisabled->Text(), "por código");
}

TEST_F(Controls, KeysReachTheHandlersWithTheirVirtualCodes) {
    std::vector<int> keys;
    std::string typed;
    form.medHora->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) {
        keys.push_back(key);
        if (key == VK_DELETE) {
            form.cds->Edit();
        }
    };
    form.medHora->OnKeyPress = [&](TObject*, char& key) {
        typed += key;
    };
    form.medHora->UserKeyDown(VK_DELETE);
    form.medHora->UserKeyDown(VK_F9);
    form.medHora->UserKeyPress('7');
    EXPECT_THAT(keys, ElementsAre(46, 120));
    EXPECT_EQ(typed, "7");
    EXPECT_EQ(form.cds->State(), dsEdit);
}

TEST_F(Controls, TheHourBoxShowsItsMask) {
    EXPECT_EQ(form.medHora->EditText(), "  :  ");
    form.medHora->UserType("0930");
    EXPECT_EQ(form.medHora->EditText(), "09:30");
    EXPECT_EQ(form.medHora->Text(), "09:30");
}

TEST_F(Controls, TheDateEditorKeepsTheTimeAndChecksItsText) {
    form.dbdData->UserFocus();
    form.dbdData->UserType("15112026");
    form.cds->Post();
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", form.cds->FieldByName("DTOCORRMOV").AsDateTime()),
              "15/11/2026 09:30");
    form.dbdData->UserType("31022026");
    EXPECT_FALSE(form.dbdData->IsDateValid());
    EXPECT_THROW(form.dbdData->CheckValidDate(), EConvertError);
    EXPECT_THROW(form.cds->Post(), EConvertError) << "an invalid date is never written";
    EXPECT_EQ(form.cds->State(), dsEdit);
    form.dbdData->UserType("");
    EXPECT_NO_THROW(form.dbdData->CheckValidDate());
    EXPECT_EQ(form.dbdData->DayNames[0], "Domingo");
}

TEST_F(Controls, TheGridsRowFollowsTheDataSetAndBack) {
    form.pgc->SetActivePage(form.tshList);
    EXPECT_EQ(form.grid->Row(), 1);
    form.cds->Next();
    EXPECT_EQ(form.grid->Row(), 2);
    EXPECT_TRUE(form.grid->UserSelectRow(1));
    EXPECT_EQ(form.cds->FieldByName("NMFILIAL").AsString(), "Matriz");
    EXPECT_EQ(form.grid->ColumnTitle(0), "CDFILIAL");
    EXPECT_EQ(form.grid->ColumnTitle(1), "Nome");
}

TEST_F(Controls, MenuShortcutsClickEnabledItemsOnly) {
    int clicks = 0;
    form.mnuFiltrar->OnClick = [&](TObject*) {
        ++clicks;
    };
    EXPECT_TRUE(form.UserShortCut("ctrl+l"));
    EXPECT_EQ(clicks, 1);
    form.mnuFiltrar->SetEnabled(false);
    EXPECT_FALSE(form.UserShortCut("Ctrl+L"));
    form.mnuFiltrar->SetEnabled(true);
    form.mnuManutencao->SetEnabled(false);
    EXPECT_FALSE(form.UserShortCut("Ctrl+L"));
    EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, LookupButtonWithAnEmptyListShowsItsEmptyError) {
    form.LoadBranches(0);
    int after = 0;
    form.btnFilial->OnAfterPesq = [&](TObject*) {
        ++after;
    };
    Application->Dispatch([&] { form.btnFilial->UserClick(); });
    EXPECT_THAT(ui.TakeJournal(), ElementsAre("error: Não há filial cadastrada."));
    EXPECT_EQ(after, 0);
}

TEST_F(Controls, LookupButtonWithAChoiceLeavesTheDataSetThereAndRunsAfterPesq) {
    std::vector<std::string> steps;
    form.btnFilial->OnBeforePesq = [&](TObject*, bool&) {
        steps.push_back("antes");
    };
    form.btnFilial->OnAfterPesq = [&](TObject*) {
        steps.push_back("depois " + form.branches->FieldByName("NMFILIAL").AsString());
    };
    ui.QueueChoice("CDFILIAL", Variant("0003"));
    Application->Dispatch([&] { form.btnFilial->UserClick(); });
    EXPECT_THAT(steps, ElementsAre("antes", "depois Filial 3"));
    EXPECT_EQ(ui.Journal().back(), "pesquisa: Filial -> CDFILIAL=0003");

    ui.QueueCancel();
    Application->Dispatch([&] { form.btnFilial->UserClick(); });
    EXPECT_EQ(steps.size(), 3u) << "a cancelled search runs no OnAfterPesq";
    EXPECT_EQ(ui.Journal().back(), "pesquisa: Filial -> cancelada");

    form.btnFilial->OnBeforePesq = [](TObject*, bool& search) {
        search = false;
    };
    ui.QueueChoice("CDFILIAL", Variant("0001"));
    Application->Dispatch([&] { form.btnFilial->UserClick(); });
    EXPECT_EQ(ui.Journal().back(), "pesquisa: Filial -> cancelada");
}

TEST_F(Controls, LookupButtonWithItsOwnClickRunsNoSearch) {
    int clicks = 0;
    form.btnFilial->OnClick = [&](TObject*) {
        ++clicks;
    };
    form.btnFilial->UserClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(ui.TakeJournal().empty());
}

} // namespace

#include "framework/controls/chart.h"
#include "framework/data/client_dataset.h"
#include "framework/data/datasource.h"

namespace {

// A person picks a step of the chart: it is selected and OnSelect runs; new points clear
// the selection; a step out of range or a hidden chart refuses.
TEST(Chart, PickingAStepSelectsItAndTellsTheScreen) {
    std::vector<TProperty> properties; // outlives the chart, which reports its end too
    TChart chart;
    chart.AddObserver([&](TControl&, TProperty p) { properties.push_back(p); });
    int selections = 0;
    chart.OnSelect = [&](TObject*) {
        ++selections;
    };
    chart.SetPoints({{"10/2026", true, 80, 1}, {"11/2026", false, 0, 0}});
    EXPECT_FALSE(chart.UserSelect(2));
    EXPECT_FALSE(chart.UserSelect(-1));
    EXPECT_TRUE(chart.UserSelect(1));
    EXPECT_EQ(chart.Selected(), 1);
    EXPECT_EQ(selections, 1);
    chart.SetPoints({{"12/2026", true, 50, 2}});
    EXPECT_EQ(chart.Selected(), -1);
    chart.SetVisible(false);
    EXPECT_FALSE(chart.UserSelect(0));
    EXPECT_EQ(selections, 1);
    EXPECT_THAT(properties, ::testing::Contains(TProperty::Points));
    EXPECT_THAT(properties, ::testing::Contains(TProperty::Selected));
}

// The grid asks the screen for a cell's background by the text the cell shows.
TEST(GridColors, ACellsBackgroundComesFromItsText) {
    TClientDataSet cds;
    cds.CreateField<TStringField>("CLASSE", 1);
    cds.CreateDataSet();
    for (const char* c : {"A", "D"}) {
        cds.Append();
        cds.FieldByName("CLASSE").SetAsString(c);
        cds.Post();
    }
    TDataSource source;
    source.SetDataSet(&cds);
    TDBGrid grid;
    grid.SetDataSource(&source);
    EXPECT_EQ(grid.CellColor("CLASSE", 1), std::nullopt) << "no handler, no colour";
    grid.OnCellColor = [](TDBGrid*, const TField&, const std::string& text, TColor& color) {
        if (text == "D") {
            color = clRed;
        }
    };
    EXPECT_EQ(grid.CellColor("CLASSE", 1), std::nullopt);
    EXPECT_EQ(grid.CellColor("CLASSE", 2), std::optional<TColor>(clRed));
    EXPECT_EQ(grid.CellColor("CLASSE", 3), std::nullopt) << "past the last row";
    EXPECT_EQ(grid.CellColor("NADA", 2), std::nullopt);
    EXPECT_EQ(cds.RecNo(), 2) << "the cursor stays where it was";
}

} // namespace
