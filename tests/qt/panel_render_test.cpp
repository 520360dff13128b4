// The qualification panel drawn: its chart with the bands, the bars and the line, both
// pages as pictures, and the chart exported as one.
#include "../qualification/panel_fixture.h"

#include "qt/form_view.h"
#include "qt/snapshot.h"

#include <QAbstractSeries>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QImage>
#include <QXYSeries>

namespace {

class PanelRendered : public Panel {
protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        oca::qt::EnsureApplication();
        Panel::SetUp();
    }
    /// Where pictures go: build/tests/qt/snapshots, kept for the README.
    static std::string Picture(const std::string& name) {
        const auto dir = std::filesystem::current_path() / "snapshots";
        std::filesystem::create_directories(dir);
        return (dir / name).string();
    }
};

TEST_F(PanelRendered, TheChartDrawsBandsBarsAndLine) {
    oca::qt::FormView view(*panel);
    view.Root()->resize(view.Scale(panel->Width()), view.Scale(panel->Height()));
    view.Root()->show();
    ASSERT_TRUE(panel->pgcPadrao->UserSelectPage(panel->tshFormulario));
    QCoreApplication::processEvents();
    auto* chartView = qobject_cast<QChartView*>(view.WidgetOf(panel->chtQualif));
    ASSERT_NE(chartView, nullptr);
    ASSERT_NE(chartView->chart(), nullptr);
    // Four class bands, the bars of occurrences, the line of scores.
    EXPECT_EQ(chartView->chart()->series().size(), 6);
    EXPECT_EQ(chartView->chart()->title().toStdString(), "000001 - Aços Brasil S.A.");
    EXPECT_GT(chartView->width(), 300);
    EXPECT_GT(chartView->height(), 200);
    // Another supplier: drawn again with its own points.
    ASSERT_TRUE(panel->pgcPadrao->UserSelectPage(panel->tshFolhaDados));
    ASSERT_TRUE(panel->dbgPadrao->UserSelectRow(3));
    EXPECT_EQ(chartView->chart()->title().toStdString(), "123 - Cento e Vinte e Três Ltda");
}

// A month without a score is a gap in the line, not a line drawn across it.
TEST_F(PanelRendered, TheScoreLineLeavesAGapForAMonthWithoutData) {
    oca::qt::FormView view(*panel);
    view.Root()->resize(view.Scale(panel->Width()), view.Scale(panel->Height()));
    view.Root()->show();
    ASSERT_TRUE(panel->pgcPadrao->UserSelectPage(panel->tshFormulario));
    panel->chtQualif->SetPoints({{"09/26", true, 80, 1},
                                 {"10/26", true, 60, 2},
                                 {"11/26", false, 0, 0},
                                 {"12/26", true, 90, 1},
                                 {"01/27", true, 95, 0}});
    QCoreApplication::processEvents();
    auto* chartView = qobject_cast<QChartView*>(view.WidgetOf(panel->chtQualif));
    ASSERT_NE(chartView, nullptr);
    std::vector<std::vector<double>> runs;
    for (QAbstractSeries* series : chartView->chart()->series()) {
        if (series->objectName() != QStringLiteral("linhaNota")) {
            continue;
        }
        std::vector<double> xs;
        for (const QPointF& p : static_cast<QXYSeries*>(series)->points()) {
            xs.push_back(p.x());
        }
        runs.push_back(xs);
    }
    EXPECT_EQ(runs, (std::vector<std::vector<double>>{{0, 1}, {3, 4}}));
}

TEST_F(PanelRendered, BothPagesAndTheChartBecomePictures) {
    const std::string list = Picture("qualificacao-lista.png");
    oca::qt::WriteSnapshot(*panel, list);
    ASSERT_TRUE(panel->pgcPadrao->UserSelectPage(panel->tshFormulario));
    const std::string chart = Picture("qualificacao-grafico.png");
    oca::qt::WriteSnapshot(*panel, chart);
    for (const std::string& path : {list, chart}) {
        const QImage image(QString::fromStdString(path));
        EXPECT_GT(image.width(), 600) << path;
        EXPECT_GT(image.height(), 400) << path;
    }
    // The export asks where, and the chart alone is written there.
    ui.ImageWriter = [](TControl& control, const std::string& path) {
        return oca::qt::WriteControlPicture(control, path);
    };
    // A month picked (without opening its occurrences) before the export.
    const TNotifyEvent drill = panel->chtQualif->OnSelect;
    panel->chtQualif->OnSelect = nullptr;
    const auto& points = panel->chtQualif->Points();
    const auto tallest = std::max_element(
        points.begin(), points.end(), [](const auto& a, const auto& b) { return a.bar < b.bar; });
    ASSERT_TRUE(tallest != points.end() && tallest->bar > 0);
    ASSERT_TRUE(panel->chtQualif->UserSelect(static_cast<int>(tallest - points.begin())));
    panel->chtQualif->OnSelect = drill;
    const std::string exported = Picture("grafico-exportado.png");
    std::filesystem::remove(exported);
    ui.QueueSaveFile(exported);
    ASSERT_TRUE(panel->mnuExportarGrafico->UserClick());
    const QImage image(QString::fromStdString(exported));
    EXPECT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 300);
    // The month picked on the screen is not marked in the picture.
    ASSERT_GE(panel->chtQualif->Selected(), 0);
    bool marked = false;
    for (int y = 0; y < image.height() && !marked; ++y) {
        for (int x = 0; x < image.width() && !marked; ++x) {
            const QColor c = image.pixelColor(x, y);
            marked = std::abs(c.red() - 230) < 8 && std::abs(c.green() - 140) < 8 &&
                     std::abs(c.blue() - 30) < 8;
        }
    }
    EXPECT_FALSE(marked);
    EXPECT_THAT(ui.Journal(), ::testing::Contains("image: chtQualif -> " + exported));
}

} // namespace
