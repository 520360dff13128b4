// The treatment screen drawn: the list with an overdue row in red, the form page with a
// treatment and its actions, each as a picture kept for the README.
#include "../treatment/screen_fixture.h"

#include "qt/form_view.h"
#include "qt/snapshot.h"

#include <QCoreApplication>
#include <QImage>

namespace {

class TreatmentRendered : public TreatmentScreen {
protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        oca::qt::EnsureApplication();
        TreatmentScreen::SetUp();
    }
    static std::string Picture(const std::string& name) {
        const auto dir = std::filesystem::current_path() / "snapshots";
        std::filesystem::create_directories(dir);
        return (dir / name).string();
    }
    // Whether the picture holds a run of the overdue rows' red (248, 180, 180).
    static bool HasOverdueRed(const QImage& image) {
        int run = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                run = std::abs(c.red() - 248) < 6 && std::abs(c.green() - 180) < 6 &&
                              std::abs(c.blue() - 180) < 6
                          ? run + 1
                          : 0;
                if (run > 40) {
                    return true;
                }
            }
        }
        return false;
    }
};

TEST_F(TreatmentRendered, TheListPaintsTheOverdueRedAndTheFormShowsTheTreatment) {
    // One overdue action, for occurrence 0001/0000000002.
    companyDb->ExecuteScript(
        "INSERT INTO TRATOCORR (CDFILILANCMO, NROCORRMOV, IDSITUACAO, CDOPERRESP, DSCAUSA) "
        "VALUES ('0001', '0000000002', 'E', '002', 'Embalagem frágil');"
        "INSERT INTO ACAOOCORR (CDFILILANCMO, NROCORRMOV, NRACAO, IDTIPO, DSACAO, CDOPERRESP, "
        "DTPREVISTA, IDSITUACAO) VALUES ('0001', '0000000002', 1, 'C', 'Trocar a embalagem', "
        "'002', '2020-01-01 00:00:00', 'A')");
    ASSERT_TRUE(screen->sbtVerificar->UserClick());
    const std::string list = Picture("tratamento-lista.png");
    oca::qt::WriteSnapshot(*screen, list);
    const QImage listImage(QString::fromStdString(list));
    EXPECT_GT(listImage.width(), 600);
    EXPECT_TRUE(HasOverdueRed(listImage)) << "the overdue row in red";

    ASSERT_TRUE(screen->cdsTratamentos->Locate("NROCORRMOV", Variant("0000000002")));
    ASSERT_TRUE(screen->pgcPadrao->UserSelectPage(screen->tshFormulario));
    const std::string form = Picture("tratamento-formulario.png");
    oca::qt::WriteSnapshot(*screen, form);
    const QImage formImage(QString::fromStdString(form));
    EXPECT_GT(formImage.height(), 400);
    EXPECT_FALSE(HasOverdueRed(formImage)) << "the form page has no list";
    EXPECT_EQ(screen->cdsAcoes->RecordCount(), 1u);
}

} // namespace
