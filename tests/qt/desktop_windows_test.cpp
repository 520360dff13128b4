// The desktop's windows: the Janela menu lists the open ones, the active one checked, and
// the keyboard moves between them.
#include "apps/main_window.h"
#include "framework/host/host_context.h"
#include "framework/ui/ui_driver.h"
#include "qt/snapshot.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

namespace {

// What a module has to say as the desktop opens comes first in the status bar; a module
// with nothing to say adds nothing.
TEST(DesktopWindows, TheStatusBarOpensWithTheModulesNews) {
    oca::qt::EnsureApplication();
    Host().configDir = (std::filesystem::temp_directory_path() / "oca_avisos").string();
    const auto none = [] {
    };
    oca::desktop::ModuleEntry quiet, telling;
    for (oca::desktop::ModuleEntry* m : {&quiet, &telling}) {
        m->Initialize = none;
        m->Finalize = none;
        m->IniProc = none;
    }
    quiet.StatusText = [] {
        return "";
    };
    telling.StatusText = [] {
        return "3 ações vencidas";
    };
    {
        oca::desktop::MainWindow main(oca::desktop::HostOptions{}, {quiet, telling});
        const QList<QLabel*> news = main.statusBar()->findChildren<QLabel*>("lblAviso");
        ASSERT_EQ(news.size(), 1);
        EXPECT_EQ(news.front()->text(), QStringLiteral("3 ações vencidas"));
        EXPECT_EQ(main.statusBar()->findChildren<QLabel*>().size(), 5) << "and the four usual";
    }
    std::filesystem::remove_all(Host().configDir);
    Host() = HostContext();
}

TEST(DesktopWindows, TheWindowMenuListsTheOpenWindowsAndTheKeysMoveBetweenThem) {
    oca::qt::EnsureApplication();
    Host().configDir = (std::filesystem::temp_directory_path() / "oca_janelas").string();
    {
        oca::desktop::MainWindow main(oca::desktop::HostOptions{}, {});
        main.show();
        QMdiSubWindow* first = main.Area()->addSubWindow(new QWidget);
        first->setWindowTitle(QStringLiteral("Ocorrências"));
        QMdiSubWindow* second = main.Area()->addSubWindow(new QWidget);
        second->setWindowTitle(QStringLiteral("Qualificação"));
        first->show();
        second->show();
        main.Area()->setActiveSubWindow(second);
        auto* menu = main.menuBar()->findChild<QMenu*>(QStringLiteral("menuJanela"));
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow();
        QStringList listed, checked;
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator()) {
                listed << a->text();
            }
            if (a->isChecked()) {
                checked << a->text();
            }
        }
        EXPECT_EQ(listed,
                  (QStringList{"&Cascata", "&Lado a lado", "&1 Ocorrências", "&2 Qualificação"}));
        EXPECT_EQ(checked, QStringList{"&2 Qualificação"});
        // Choosing a window from the menu brings it back, restored when minimised.
        first->showMinimized();
        menu->actions().at(3)->trigger();
        EXPECT_EQ(main.Area()->activeSubWindow(), first);
        EXPECT_FALSE(first->isMinimized());
        // Ctrl+F6 goes to the other window, Ctrl+Shift+F6 back.
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_F6, Qt::ControlModifier);
        EXPECT_EQ(main.Area()->activeSubWindow(), second);
        QTest::keyClick(&main, Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(main.Area()->activeSubWindow(), first);

        // Lado a lado keeps every window within the workspace: side by side when each fits
        // its half, else one above the other.
        main.resize(1000, 700);
        QCoreApplication::processEvents();
        const QRect space = main.Area()->viewport()->rect();
        const auto tile = [&] {
            emit menu->aboutToShow();
            menu->actions().at(1)->trigger();
            QCoreApplication::processEvents();
        };
        first->widget()->setMinimumWidth(300);
        second->widget()->setMinimumWidth(300);
        tile();
        EXPECT_TRUE(space.contains(first->geometry())) << first->geometry().width();
        EXPECT_TRUE(space.contains(second->geometry()));
        EXPECT_EQ(first->geometry().top(), second->geometry().top()) << "side by side";
        first->widget()->setMinimumWidth(700);
        tile();
        EXPECT_TRUE(space.contains(first->geometry())) << first->geometry().width();
        EXPECT_TRUE(space.contains(second->geometry()));
        EXPECT_EQ(first->geometry().left(), second->geometry().left()) << "one above the other";
    }
    SetUi(nullptr);
    Host() = HostContext();
    std::filesystem::remove_all(std::filesystem::temp_directory_path() / "oca_janelas");
}

} // namespace
