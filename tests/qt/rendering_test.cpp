// A form rendered as widgets: what a person does reaches the model, and what the model
// decides shows on the widgets.
#include "sample_form.h"

#include "framework/host/consiste.h"
#include "qt/form_view.h"
#include "qt/snapshot.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <gmock/gmock.h>

using ::testing::Contains;

namespace {

class Rendering : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // even where a display exists
        oca::qt::EnsureApplication();
        SetUi(&ui);
        form = std::make_unique<SampleForm>();
        form->LoadRecords();
        form->SetBounds(0, 0, 420, 260);
        form->pgc->SetBounds(0, 0, 420, 260);
        form->grid->SetBounds(0, 0, 400, 200);
        form->dbeCdFilial->SetBounds(10, 10, 60, 21);
        form->grb->SetBounds(10, 40, 200, 44);
        form->rbtForne->SetBounds(8, 18, 80, 17);
        form->rbtCliente->SetBounds(100, 18, 80, 17);
        form->dbeNmFilial->SetBounds(10, 100, 200, 21);
        form->dbdData->SetBounds(10, 130, 100, 21);
        form->medHora->SetBounds(120, 130, 50, 21);
        form->edtDisabled->SetBounds(10, 160, 100, 21);
        form->Show();
        view = std::make_unique<oca::qt::FormView>(*form);
        view->Root()->show();
        QApplication::setActiveWindow(view->Root());
        QCoreApplication::processEvents();
        ui.TakeJournal();
    }
    void TearDown() override {
        view.reset();
        form.reset();
        SetUi(nullptr);
    }
    template <class W = QWidget> W* Widget(const char* name) {
        auto* widget = qobject_cast<W*>(view->WidgetNamed(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Line(const char* name) {
        QWidget* widget = view->WidgetNamed(name);
        auto* line = qobject_cast<QLineEdit*>(widget);
        return line ? line : widget->findChild<QLineEdit*>();
    }
    /// A person's click into a control: Qt moves its focus, the form is told after.
    void ClickInto(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
        QCoreApplication::processEvents();
    }
    void ShowFormPage() {
        form->pgc->SetActivePage(form->tshForm);
        QCoreApplication::processEvents();
    }

    ScriptedUiDriver ui;
    std::unique_ptr<SampleForm> form;
    std::unique_ptr<oca::qt::FormView> view;
};

TEST_F(Rendering, TypingIntoAnEditReachesTheFieldWhenTheFocusLeaves) {
    ShowFormPage();
    QLineEdit* name = Line("dbeNmFilial");
    ClickInto(name);
    ASSERT_EQ(form->ActiveControl(), form->dbeNmFilial);
    name->selectAll();
    QTest::keyClicks(name, "Porto Alegre");
    EXPECT_EQ(form->cds->State(), dsEdit) << "typing put the record into edit";
    EXPECT_EQ(form->dbeNmFilial->EditText(), "Porto Alegre");
    QTest::keyClick(name, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->dbdData) << "Tab follows the form's tab order";
    EXPECT_EQ(form->cds->FieldByName("NMFILIAL").AsString(), "Porto Alegre");
    EXPECT_EQ(QApplication::focusWidget(), Line("dbdData"));
}

TEST_F(Rendering, MaskedEditsShowTheMaskAndStoreWhatTheMaskKeeps) {
    ShowFormPage();
    QLineEdit* hour = Line("medHora");
    form->medHora->SetText("0930");
    EXPECT_EQ(hour->displayText().toStdString(), "09:30");
    ClickInto(hour);
    hour->selectAll();
    QTest::keyClicks(hour, "1745");
    EXPECT_EQ(form->medHora->EditText(), "17:45");
    EXPECT_EQ(form->medHora->Text(), "17:45");
}

// Tabbing into a control shows where the focus is, as keyboard focus: a radio button draws
// its focus frame, and a filled masked edit is selected whole, so typing replaces it.
TEST_F(Rendering, TabbingShowsTheFocusAndSelectsAFilledMaskedEdit) {
    ShowFormPage();
    form->medHora->SetText("0930");
    QLineEdit* date = Line("dbdData");
    ClickInto(date);
    ASSERT_EQ(form->ActiveControl(), form->dbdData);
    EXPECT_FALSE(view->Root()->window()->testAttribute(Qt::WA_KeyboardFocusChange))
        << "a click is no keyboard focus";
    QTest::keyClick(date, Qt::Key_Tab);
    QCoreApplication::processEvents();
    QLineEdit* hour = Line("medHora");
    ASSERT_EQ(QApplication::focusWidget(), hour);
    EXPECT_EQ(hour->selectedText(), QStringLiteral("09:30"));
    EXPECT_TRUE(view->Root()->window()->testAttribute(Qt::WA_KeyboardFocusChange));
    QTest::keyClicks(hour, "1745");
    EXPECT_EQ(form->medHora->EditText(), "17:45") << "typing replaced the hour";
}

TEST_F(Rendering, AnExitThatRaisesKeepsTheFocusAndShowsTheMessage) {
    ShowFormPage();
    form->dbeCdFilial->OnExit = [](TObject*) {
        Consiste::MensErro("Filial não cadastrada.", true);
    };
    QLineEdit* code = Line("dbeCdFilial");
    ClickInto(code);
    ASSERT_EQ(form->ActiveControl(), form->dbeCdFilial);
    ClickInto(Line("dbeNmFilial"));
    EXPECT_EQ(form->ActiveControl(), form->dbeCdFilial);
    EXPECT_EQ(QApplication::focusWidget(), code) << "Qt's focus goes back where the form kept it";
    EXPECT_THAT(ui.TakeJournal(), Contains("error: Filial não cadastrada."));

    QTest::keyClick(code, Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), form->dbeCdFilial) << "Tab is refused the same way";
}

TEST_F(Rendering, TheGridsCurrentRowFollowsTheDataSetAndBack) {
    auto* table = Widget<QTableView>("dbgPadrao");
    ASSERT_EQ(table->model()->rowCount(), 2);
    EXPECT_EQ(table->currentIndex().row(), 0);
    EXPECT_EQ(table->model()->index(1, 1).data().toString().toStdString(), "Curitiba");
    EXPECT_EQ(table->model()->headerData(1, Qt::Horizontal).toString().toStdString(), "Nome");

    form->cds->Next();
    EXPECT_EQ(table->currentIndex().row(), 1);

    const QRect first = table->visualRect(table->model()->index(0, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, first.center());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->cds->RecNo(), 1);
    EXPECT_EQ(form->ActiveControl(), form->grid);
}

TEST_F(Rendering, ADisabledPageCannotBeChosen) {
    form->tshForm->SetEnabled(false);
    auto* tabs = Widget<QTabWidget>("pgcPadrao");
    QTabBar* bar = tabs->tabBar();
    EXPECT_FALSE(bar->isTabEnabled(1));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->pgc->ActivePage(), form->tshList);
    EXPECT_EQ(tabs->currentIndex(), 0);

    form->tshForm->SetEnabled(true);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->pgc->ActivePage(), form->tshForm) << "an enabled page is chosen by a click";
}

TEST_F(Rendering, ModelChangesShowOnTheWidgets) {
    ShowFormPage();
    QLineEdit* code = Line("dbeCdFilial");
    auto* forne = Widget<QRadioButton>("rbtForne");
    auto* cliente = Widget<QRadioButton>("rbtCliente");
    const struct {
        const char* what;
        std::function<void()> change;
        std::function<bool()> shown;
    } cases[] = {
        {"disabled", [&] { form->dbeCdFilial->SetEnabled(false); },
         [&] {
             return !code->isEnabled();
         }},
        {"enabled", [&] { form->dbeCdFilial->SetEnabled(true); },
         [&] {
             return code->isEnabled();
         }},
        {"read-only", [&] { form->dbeCdFilial->SetReadOnly(true); },
         [&] {
             return code->isReadOnly();
         }},
        {"hidden", [&] { form->dbeCdFilial->SetVisible(false); },
         [&] {
             return code->isHidden();
         }},
        {"required colour", [&] { form->dbeCdFilial->SetColor(clInfoBk); },
         [&] {
             return code->palette().color(QPalette::Base) == QColor(255, 255, 225);
         }},
        {"field changed by code",
         [&] {
             form->cds->Edit();
             form->cds->FieldByName("CDFILIAL").SetAsString("0042");
         },
         [&] {
             return code->text() == "0042";
         }},
        {"radio checked by code", [&] { form->rbtCliente->SetChecked(true); },
         [&] {
             return cliente->isChecked() && !forne->isChecked();
         }},
        {"record moved",
         [&] {
             form->cds->Cancel();
             form->cds->Last();
         },
         [&] {
             return Line("dbeNmFilial")->text() == "Curitiba";
         }},
    };
    for (const auto& c : cases) {
        c.change();
        EXPECT_TRUE(c.shown()) << c.what;
    }
}

TEST_F(Rendering, ARadioClickGoesToTheModelWhichDecides) {
    ShowFormPage();
    int clicks = 0;
    form->rbtCliente->OnClick = [&](TObject*) {
        ++clicks;
    };
    auto* cliente = Widget<QRadioButton>("rbtCliente");
    QTest::mouseClick(cliente, Qt::LeftButton, {}, QPoint(6, cliente->height() / 2));
    EXPECT_TRUE(form->rbtCliente->Checked());
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(cliente->isChecked());

    form->grb->SetEnabled(false);
    form->rbtForne->SetChecked(false);
    auto* forne = Widget<QRadioButton>("rbtForne");
    QTest::mouseClick(forne, Qt::LeftButton, {}, QPoint(6, forne->height() / 2));
    EXPECT_FALSE(form->rbtForne->Checked()) << "a disabled group takes no click";
    EXPECT_FALSE(forne->isChecked());
}

// A group of radio buttons is one Tab stop; the arrows move within it and check.
TEST_F(Rendering, TheArrowsMoveWithinAGroupOfRadioButtons) {
    ShowFormPage();
    form->rbtForne->SetChecked(true);
    QLineEdit* code = Line("dbeCdFilial");
    ClickInto(code);
    QTest::keyClick(code, Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_EQ(form->ActiveControl(), form->rbtForne);
    auto* forne = Widget<QRadioButton>("rbtForne");
    ASSERT_EQ(QApplication::focusWidget(), forne);
    QTest::keyClick(forne, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->ActiveControl(), form->rbtCliente);
    EXPECT_TRUE(form->rbtCliente->Checked());
    EXPECT_FALSE(form->rbtForne->Checked());
    QTest::keyClick(Widget<QRadioButton>("rbtCliente"), Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->ActiveControl(), form->dbeNmFilial) << "the group was one stop";
}

// Enter presses the form's default button from an edit; without one it does nothing.
TEST_F(Rendering, EnterPressesTheDefaultButton) {
    ShowFormPage();
    int clicks = 0;
    form->btnFilial->OnClick = [&](TObject*) {
        ++clicks;
    };
    QLineEdit* name = Line("dbeNmFilial");
    ClickInto(name);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(clicks, 0);
    form->SetDefaultButton(form->btnFilial);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(name, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 2) << "Ctrl+Enter too";
    QTest::keyClick(name, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(clicks, 2);
    form->btnFilial->SetEnabled(false);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(clicks, 2) << "a disabled button is not pressed";
}

TEST_F(Rendering, MenuShortcutsRunThroughTheFormAndRespectDisabledItems) {
    ShowFormPage();
    int runs = 0;
    form->mnuFiltrar->OnClick = [&](TObject*) {
        ++runs;
    };
    QLineEdit* code = Line("dbeCdFilial");
    ClickInto(code);
    QTest::keyClick(code, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(runs, 1);
    form->mnuFiltrar->SetEnabled(false);
    QTest::keyClick(code, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(runs, 1);
}

TEST_F(Rendering, ARefusedEditPutsTheModelsTextBack) {
    ShowFormPage();
    form->cds->BeforeEdit = [](TDataSet*) {
        Consiste::MensErro("Registro bloqueado.", true);
    };
    QLineEdit* name = Line("dbeNmFilial");
    ClickInto(name);
    QTest::keyClicks(name, "X");
    EXPECT_EQ(name->text().toStdString(), "Matriz");
    EXPECT_EQ(form->cds->State(), dsBrowse);
    EXPECT_THAT(ui.TakeJournal(), Contains("error: Registro bloqueado."));
}

} // namespace
