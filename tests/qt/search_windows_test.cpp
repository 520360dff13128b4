// The search window: found by any shown column, says when nothing matches, and never
// wider than the screen.
#include "core/data_packet.h"
#include "framework/data/client_dataset.h"
#include "framework/data/datasource.h"
#include "qt/search_dialogs.h"
#include "qt/snapshot.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(SearchWindow, FindsByAnyColumnAndSaysWhenNothingMatches) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    oca::qt::EnsureApplication();
    DataPacket p;
    p.fields = {{"CDFILIAL", FieldType::String, 4}, {"NMFILIAL", FieldType::String, 200}};
    p.rows = {{Variant("0001"), Variant("Matriz")},
              {Variant("0002"), Variant("Filial Curitiba")},
              {Variant("0003"), Variant(std::string(180, 'X'))}};
    TClientDataSet cds;
    cds.SetData(MakePacketVariant(p));
    TDataSource source;
    source.SetDataSet(&cds);
    QString notFound;
    int width = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* find = dialog->findChild<QLineEdit*>("edtLocalizar");
        QTest::keyClicks(find, "zzz");
        notFound = dialog->findChild<QLabel*>("lblNaoEncontrado")->text();
        find->clear();
        QTest::keyClicks(find, "curit"); // the name, not the code
        width = dialog->width();
        dialog->accept();
    });
    ASSERT_TRUE(oca::qt::RunSearchWindow(nullptr, source, "Filial"));
    EXPECT_EQ(cds.FieldByName("CDFILIAL").AsString(), "0002");
    EXPECT_EQ(notFound, QStringLiteral("nenhum item encontrado"));
    EXPECT_LE(width, QGuiApplication::primaryScreen()->availableGeometry().width());
}

} // namespace
