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

#include <functional>

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

// Keys typed in the find box move the list: Enter picks the row the person moved to, never
// the first one silently; Up and Down go from match to match of what is typed.
TEST(SearchWindow, TheFindBoxMovesTheListAndEnterPicksTheRowMovedTo) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    oca::qt::EnsureApplication();
    DataPacket p;
    p.fields = {{"CDFORNECED", FieldType::String, 6}, {"NMFORNECED", FieldType::String, 40}};
    const char* names[] = {
        "Transportes Alfa", "Outro", "Transportes Beta", "Mais um", "Transportes Gama",
        "Ipê Transportes",  "Último"};
    for (int i = 0; i < 7; ++i) {
        p.rows.push_back({Variant("00000" + std::to_string(i + 1)), Variant(names[i])});
    }
    TClientDataSet cds;
    cds.SetData(MakePacketVariant(p));
    TDataSource source;
    source.SetDataSet(&cds);
    const auto choose = [&](const std::function<void(QLineEdit*)>& keys) {
        cds.First();
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* find = dialog->findChild<QLineEdit*>("edtLocalizar");
            keys(find);
            QTest::keyClick(find, Qt::Key_Return);
        });
        EXPECT_TRUE(oca::qt::RunSearchWindow(nullptr, source, "Fornecedor"));
        return cds.FieldByName("NMFORNECED").AsString();
    };
    EXPECT_EQ(choose([](QLineEdit* find) {
                  for (int i = 0; i < 4; ++i) {
                      QTest::keyClick(find, Qt::Key_Down);
                  }
              }),
              "Transportes Gama");
    EXPECT_EQ(choose([](QLineEdit* find) {
                  QTest::keyClicks(find, "transp");
                  QTest::keyClick(find, Qt::Key_Down);
                  QTest::keyClick(find, Qt::Key_Down);
              }),
              "Transportes Gama")
        << "the third match";
    EXPECT_EQ(choose([](QLineEdit* find) {
                  QTest::keyClicks(find, "transp");
                  QTest::keyClick(find, Qt::Key_Down);
                  QTest::keyClick(find, Qt::Key_Up);
              }),
              "Transportes Alfa");
    EXPECT_EQ(choose([](QLineEdit* find) { QTest::keyClicks(find, "Ipe Transp"); }),
              "Ipê Transportes");
    EXPECT_EQ(choose([](QLineEdit* find) { QTest::keyClicks(find, "ULTIMO"); }), "Último");
    EXPECT_EQ(choose([](QLineEdit* find) { QTest::keyClick(find, Qt::Key_PageDown); }), "Último");
}

} // namespace
