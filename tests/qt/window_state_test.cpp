// A document window follows its form's window state, and a person's minimise or
// maximise reaches the form.
#include "framework/controls/form.h"
#include "qt/qt_ui_driver.h"
#include "qt/snapshot.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

namespace {

TEST(WindowState, TheDocumentWindowFollowsTheFormAndReportsBack) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    oca::qt::EnsureApplication();
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    oca::qt::QtUiDriver driver(&area);
    SetUi(&driver);
    {
        TForm form;
        form.SetName("frmDocumento");
        form.SetFormStyle(fsMDIChild);
        form.SetBounds(0, 0, 300, 200);
        form.Show();
        QCoreApplication::processEvents();
        ASSERT_EQ(area.subWindowList().size(), 1);
        QMdiSubWindow* sub = area.subWindowList().front();
        const auto shown = [sub] {
            return sub->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized);
        };
        EXPECT_EQ(shown(), Qt::WindowNoState);

        form.SetWindowState(wsMaximized);
        QCoreApplication::processEvents();
        EXPECT_EQ(shown(), Qt::WindowMaximized);

        sub->showMinimized(); // as a person's click on the minimise button does
        QCoreApplication::processEvents();
        EXPECT_EQ(form.WindowState(), wsMinimized);

        form.SetWindowState(wsNormal);
        QCoreApplication::processEvents();
        EXPECT_EQ(shown(), Qt::WindowNoState);
        EXPECT_EQ(form.WindowState(), wsNormal);
    }
    QCoreApplication::processEvents();
    SetUi(nullptr);
}

} // namespace
