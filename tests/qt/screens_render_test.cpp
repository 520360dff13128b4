// Both screens of the module, loaded from their definitions against a real server,
// rendered: every control and menu item of the definition has its widget, in place.
#include "../register/screen_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/controls/std_controls.h"
#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"
#include "qt/adapter.h"
#include "qt/form_view.h"
#include "qt/qt_ui_driver.h"
#include "qt/snapshot.h"
#include "register/Cli_oca0080a.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenuBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <functional>

namespace {

class ScreensRendered : public RegisterScreenTest {
protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // even where a display exists
        oca::qt::EnsureApplication();
        RegisterScreenTest::SetUp();
        Load("|0001|");
    }

    /// Walks the form's control tree: each control has a widget named as it is, inside
    /// the widget of its parent.
    static size_t CheckControls(const oca::qt::FormView& view, const TWinControl& parent) {
        size_t count = 0;
        const QWidget* parentWidget =
            dynamic_cast<const TForm*>(&parent) ? view.Root() : view.WidgetOf(&parent);
        for (const TControl* child : parent.Children()) {
            const QWidget* widget = view.WidgetOf(child);
            EXPECT_NE(widget, nullptr) << child->Name();
            if (!widget) {
                continue;
            }
            ++count;
            EXPECT_EQ(widget->objectName().toStdString(), child->Name());
            EXPECT_TRUE(parentWidget && parentWidget->isAncestorOf(widget))
                << child->Name() << " outside " << parent.Name();
            if (const auto* win = dynamic_cast<const TWinControl*>(child)) {
                count += CheckControls(view, *win);
            }
        }
        return count;
    }

    /// Walks the widget tree the other way: every widget that stands for a control
    /// stands for one of this form, under its own name.
    static void CheckWidgets(const oca::qt::FormView& view) {
        for (const QWidget* widget : view.Root()->findChildren<QWidget*>()) {
            const oca::qt::Adapter* adapter = view.AdapterOfWidget(widget);
            if (adapter && adapter->Widget() == widget && adapter->Control()) {
                EXPECT_EQ(adapter->Control()->Name(), widget->objectName().toStdString());
            }
        }
    }

    static void CheckMenu(const oca::qt::FormView& view, TMenuItem& parent, size_t& count) {
        for (TMenuItem* item : parent.Items()) {
            if (item->IsSeparator()) {
                continue;
            }
            const bool found =
                view.MenuBarWidget() &&
                (view.MenuBarWidget()->findChild<QAction*>(QString::fromStdString(item->Name())) ||
                 view.MenuBarWidget()->findChild<QObject*>(QString::fromStdString(item->Name())));
            EXPECT_TRUE(found) << item->Name();
            ++count;
            CheckMenu(view, *item, count);
        }
    }

    /// Each control stands where its definition puts it, at the screen's scale. Pages are
    /// placed by their page control; labels and data texts take the width of their words.
    static size_t CheckPlaces(const oca::qt::FormView& view, const TWinControl& parent) {
        size_t placed = 0;
        for (const TControl* child : parent.Children()) {
            if (const auto* win = dynamic_cast<const TWinControl*>(child)) {
                placed += CheckPlaces(view, *win);
            }
            const QWidget* widget = view.WidgetOf(child);
            if (!widget || dynamic_cast<const TTabSheet*>(child) ||
                (child->Width() == 0 && child->Height() == 0)) {
                continue;
            }
            ++placed;
            EXPECT_EQ(widget->pos(), QPoint(view.Scale(child->Left()), view.Scale(child->Top())))
                << child->Name();
            if (dynamic_cast<const TLabel*>(child) || dynamic_cast<const TDBText*>(child)) {
                EXPECT_GE(widget->height(), view.Scale(child->Height())) << child->Name();
                continue;
            }
            EXPECT_EQ(widget->size(),
                      QSize(view.Scale(child->Width()), view.Scale(child->Height())))
                << child->Name();
        }
        return placed;
    }

    static size_t Controls(const TWinControl& parent) {
        size_t count = 0;
        for (const TControl* child : parent.Children()) {
            ++count;
            if (const auto* win = dynamic_cast<const TWinControl*>(child)) {
                count += Controls(*win);
            }
        }
        return count;
    }
};

TEST_F(ScreensRendered, EachScreenRendersEveryControlAndMenuItemOfItsDefinition) {
    ASSERT_NE(frmFiltroOcorAte, nullptr);
    for (TForm* form : {static_cast<TForm*>(screen.get()), static_cast<TForm*>(frmFiltroOcorAte)}) {
        SCOPED_TRACE(form->Name());
        oca::qt::FormView view(*form);
        const size_t controls = Controls(*form);
        EXPECT_GT(controls, 20u);
        EXPECT_EQ(CheckControls(view, *form), controls);
        EXPECT_EQ(view.AdapterCount(), controls + 1) << "one adapter per control, and the form";
        CheckWidgets(view);
        EXPECT_GT(CheckPlaces(view, *form), controls / 2);
        if (form->Menu()) {
            size_t items = 0;
            CheckMenu(view, form->Menu()->Items(), items);
            EXPECT_GT(items, 10u);
        }
    }
}

// A sentence typed into each editable kind, key by key as a person types, comes back
// whole and in order: the model's echoes never move the caret.
TEST_F(ScreensRendered, TypingASentenceIntoEachEditableKindKeepsItWhole) {
    const QString sentence = QStringLiteral("Teste de digitação.");
    oca::qt::FormView view(*screen);
    view.Root()->resize(1000, 700);
    view.Root()->show();
    QApplication::setActiveWindow(view.Root());
    struct Case {
        TTabSheet* page;
        const char* name;
        std::function<std::string()> read;
    };
    const Case cases[] = {
        {screen->tshFormulario, "dbeDescSum",
         [this] {
             return screen->dbeDescSum->Text();
         }},
        {screen->tshDescricao, "dreDescricao",
         [this] {
             return screen->dreDescricao->PlainText();
         }},
    };
    for (const Case& c : cases) {
        screen->cdsMovOcorr->Cancel();
        ASSERT_TRUE(screen->pgcPadrao->UserSelectPage(c.page)) << c.name;
        QCoreApplication::processEvents();
        QWidget* widget = view.WidgetNamed(c.name);
        ASSERT_NE(widget, nullptr) << c.name;
        QWidget* target = widget->focusProxy() ? widget->focusProxy() : widget;
        if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
            rich->selectAll(); // a text there already goes, as a person would select it
            QTest::keyClick(rich, Qt::Key_Delete);
            target = rich;
        } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->selectAll();
            QTest::keyClick(line, Qt::Key_Delete);
        }
        target->setFocus();
        // Key by key with the text each key types (testlib's keyClicks knows ASCII only).
        for (const QChar ch : sentence) {
            const int key = ch.unicode() < 128 ? QChar(ch).toUpper().unicode() : 0;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(QString::fromStdString(c.read()), sentence) << c.name;
    }
}

TEST_F(ScreensRendered, TheListShowsTheLoadedOccurrencesWithTheirDisplayTexts) {
    oca::qt::FormView view(*screen);
    auto* grid = qobject_cast<QTableView*>(view.WidgetNamed("dbgPadrao"));
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->model()->rowCount(), 3);
    QStringList first;
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        first << grid->model()->index(0, column).data().toString();
    }
    EXPECT_TRUE(first.contains("0000000001")) << first.join('|').toStdString();
    EXPECT_TRUE(first.contains("Fornecedor")) << "the kind shows its display text";

    screen->cdsMovOcorr->Last();
    EXPECT_EQ(grid->currentIndex().row(), 2);
    auto* label = view.WidgetNamed("dbtNome");
    ASSERT_NE(label, nullptr);
    EXPECT_NE(label->property("text").toString().toStdString().find(
                  screen->cdsMovOcorr->FieldByName("NROCORRMOV").AsString()),
              std::string::npos);
}

// A click anywhere into an empty date editor starts the typing at its first place: the
// period typed after a click comes out whole.
TEST_F(ScreensRendered, AClickIntoAnEmptyDateStartsTheTypingAtItsFirstPlace) {
    oca::qt::FormView view(*frmFiltroOcorAte);
    frmFiltroOcorAte->Show();
    view.Root()->show();
    QApplication::setActiveWindow(view.Root());
    QCoreApplication::processEvents();
    auto* line = view.WidgetNamed("depPerIni")->findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(line->width() / 2, line->height() / 2));
    QTest::keyClicks(line, "01102026");
    QCoreApplication::processEvents();
    EXPECT_EQ(frmFiltroOcorAte->depPerIni->EditText(), "01/10/2026");
    frmFiltroOcorAte->Hide();
}

// A larger window goes to the model: the pages and the grid grow with it, the toolbar
// stays on top and the navigator keeps to the right edge.
TEST_F(ScreensRendered, TheRegisterScreensLayoutFollowsTheWindow) {
    oca::qt::FormView view(*screen);
    view.Root()->show();
    QCoreApplication::processEvents();
    QWidget* grid = view.WidgetNamed("dbgPadrao");
    QWidget* navigator = view.WidgetNamed("dbnPadrao");
    ASSERT_NE(grid, nullptr);
    const QSize before = grid->size();
    const int navigatorGap = navigator->parentWidget()->width() - navigator->geometry().right();
    view.Root()->resize(view.Root()->width() + 400, view.Root()->height() + 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->width(), before.width() + 400);
    EXPECT_EQ(grid->height(), before.height() + 300);
    EXPECT_EQ(view.WidgetNamed("panMenu")->y(), 0);
    EXPECT_EQ(navigator->parentWidget()->width() - navigator->geometry().right(), navigatorGap);
}

// A click on a column's title orders the list by it, a second one descending, with the
// indicator; the current occurrence stays current.
TEST_F(ScreensRendered, AColumnTitleClickSortsTheList) {
    oca::qt::FormView view(*screen);
    view.Root()->show();
    QCoreApplication::processEvents();
    auto* grid = qobject_cast<QTableView*>(view.WidgetNamed("dbgPadrao"));
    ASSERT_NE(grid, nullptr);
    screen->cdsMovOcorr->Locate("NROCORRMOV", Variant("0000000002"));
    QHeaderView* header = grid->horizontalHeader();
    const int nameColumn = 4; // Nome Razão Social
    const QPoint at(header->sectionViewportPosition(nameColumn) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    std::vector<std::string> names;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        names.push_back(grid->model()->index(row, nameColumn).data().toString().toStdString());
    }
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << names.front();
    EXPECT_EQ(screen->cdsMovOcorr->FieldByName("NROCORRMOV").AsString(), "0000000002");
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(grid->model()->index(0, nameColumn).data().toString().toStdString(), names.back());
}

// The widths and the order a person gives the list's columns come back next time.
TEST_F(ScreensRendered, TheListRemembersItsColumnsPerOperator) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("oca_colunas_" + std::to_string(::getpid()) + "_" + CurrentTestName());
    Host().configDir = dir.string();
    {
        oca::qt::FormView view(*screen);
        auto* grid = qobject_cast<QTableView*>(view.WidgetNamed("dbgPadrao"));
        ASSERT_NE(grid, nullptr);
        grid->horizontalHeader()->resizeSection(2, 333);
        grid->horizontalHeader()->moveSection(4, 0);
    }
    {
        oca::qt::FormView view(*screen);
        auto* grid = qobject_cast<QTableView*>(view.WidgetNamed("dbgPadrao"));
        EXPECT_EQ(grid->horizontalHeader()->sectionSize(2), 333);
        EXPECT_EQ(grid->horizontalHeader()->visualIndex(4), 0);
    }
    Host().operatorCode = "002"; // another operator: the columns as designed
    {
        oca::qt::FormView view(*screen);
        auto* grid = qobject_cast<QTableView*>(view.WidgetNamed("dbgPadrao"));
        EXPECT_NE(grid->horizontalHeader()->sectionSize(2), 333);
        EXPECT_EQ(grid->horizontalHeader()->visualIndex(4), 4);
    }
    std::filesystem::remove_all(dir);
}

// The active document's menus stand in the desktop's menu bar, before Janela.
TEST_F(ScreensRendered, TheDocumentsMenusMergeIntoTheMainMenuBar) {
    QMainWindow main;
    main.menuBar()->addMenu(QStringLiteral("&Módulos"));
    main.menuBar()->addMenu(QStringLiteral("&Janela"));
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1200, 800);
    main.show();
    {
        oca::qt::QtUiDriver driver(area);
        driver.ShowForm(*screen);
        QCoreApplication::processEvents();
        QStringList titles;
        for (const QAction* action : main.menuBar()->actions()) {
            titles << action->text();
        }
        EXPECT_EQ(titles, (QStringList{QStringLiteral("&Módulos"), QStringLiteral("&Operação"),
                                       QStringLiteral("&Manutenção"), QStringLiteral("&Janela")}));
    }
    SetUi(&ui);
}

} // namespace
