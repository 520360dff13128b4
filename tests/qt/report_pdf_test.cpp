// The non-conformance report read back from its PDF as a supplier would read it: every
// field in its place, the texts whole over several pages, and each page numbered.
#include "../appserver/server_fixture.h"

#include "appserver/report.h"
#include "qt/report_pdf.h"
#include "qt/snapshot.h"

#include <gmock/gmock.h>

#include <QBuffer>
#include <QImage>

#include <cstdio>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string Shell(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char block[4096];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) {
        out.append(block, got);
    }
    const int code = pclose(pipe);
    if (status) {
        *status = WEXITSTATUS(code);
    }
    return out;
}

std::string PngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class Report : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        oca::qt::EnsureApplication();
        database = std::make_unique<TestDatabase>(CurrentTestName());
        db = oca::db::Database::Open(database->Url());
        SeedCompany(*db);
        folder = std::filesystem::temp_directory_path() /
                 ("oca-relatorio-" + std::to_string(::getpid()) + "-" + CurrentTestName());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    /// The report of 0001/`number` written to a PDF and read back as text, pages apart by
    /// form feeds.
    std::string ReadBack(const std::string& number = "0000000001") {
        const std::string pdf = (folder / "relatorio.pdf").string();
        EXPECT_EQ(WriteReportPdf(oca::server::BuildReport(*db, "0001", number), pdf), "");
        return Shell("pdftotext -layout '" + pdf + "' -");
    }

    std::unique_ptr<TestDatabase> database;
    std::unique_ptr<oca::db::Database> db;
    std::filesystem::path folder;
};

TEST_F(Report, EveryFieldOfTheOccurrenceIsReadBackFromThePdf) {
    db->ExecuteScript(
        "UPDATE MOVOCORR SET CDPRODUTO = '0000000001', NRLOTEESTQ = 'L1', NRSUBLOTE = '0001', "
        "NMPESSIDETOC = 'Carlos Conferente' WHERE NROCORRMOV = '0000000001' AND "
        "CDFILILANCMO = '0001';"
        "UPDATE PARECER SET DSPAROCORMOV = '<p>Procedente: <b>trocar o lote</b>.</p>' WHERE "
        "CDFILILANCMO = '0001' AND NROCORRMOV = '0000000001';"
        "INSERT INTO TRATOCORR (CDFILILANCMO, NROCORRMOV, IDSITUACAO, CDOPERRESP, DSCAUSA) "
        "VALUES ('0001', '0000000001', 'E', '002', 'Embalagem frágil');"
        "INSERT INTO ACAOOCORR (CDFILILANCMO, NROCORRMOV, NRACAO, IDTIPO, DSACAO, CDOPERRESP, "
        "DTPREVISTA, IDSITUACAO) VALUES ('0001', '0000000001', 1, 'C', 'Reforçar a embalagem', "
        "'002', '2026-12-20 00:00:00', 'A')");
    QImage thumbnail(64, 48, QImage::Format_RGB32);
    thumbnail.fill(Qt::darkGreen);
    db->Execute(
        "INSERT INTO ANEXOOCORR (CDFILILANCMO, NROCORRMOV, NRANEXO, NMARQUIVO, "
        "TPCONTEUDO, QTBYTES, DSHASH, MINIATURA, CDOPERADOR, DTINCLUSAO, IDSITUACAO) "
        "VALUES ('0001', '0000000001', 1, 'avaria.jpg', 'image/jpeg', 5242880, :H, :M, "
        "'001', :T, 'A')",
        {{"H", Variant(std::string(64, 'a'))},
         {"M", Variant(Blob{PngOf(thumbnail)})},
         {"T", Variant(CombineDateTime(EncodeDate(2026, 10, 11), EncodeTime(8, 5, 0, 0)))}});

    const std::string text = ReadBack();
    for (const char* expected : {"Relatório de não conformidade",
                                 "0001 - Matriz",
                                 "Ocorrência: 0001/0000000001",
                                 "Data: 10/10/2026 09:30",
                                 "000001 - Aços Brasil S.A.",
                                 "11.222.333/0001-81",
                                 "0000000001 - Chapa",
                                 "L1 / 0001",
                                 "Nº 0001234",
                                 "123 - Cento e Vinte e Três Ltda",
                                 "Resumo",
                                 "Um",
                                 "Carlos Conferente",
                                 "Descrição um",
                                 "Procedente: trocar o lote",
                                 "Em ação",
                                 "Embalagem frágil",
                                 "Reforçar a",
                                 "20/12/2026",
                                 "avaria.jpg",
                                 "image/jpeg",
                                 "5,0 MB",
                                 "11/10/2026 08:05",
                                 "Página 1 de 1"}) {
        EXPECT_THAT(text, HasSubstr(expected));
    }
}

TEST_F(Report, ALongRichDescriptionRunsOverPagesEachNumbered) {
    std::string html = "<html><body><p><b>Início do relato</b></p>";
    for (int i = 1; i <= 160; ++i) {
        html +=
            "<p>Parágrafo " + std::to_string(i) + " do relato da avaria, com <i>itálico</i>.</p>";
    }
    html += "<p>Fim do relato</p><img src=\"/etc/hostname\"/></body></html>";
    db->Execute("UPDATE DESCMOVOCORR SET DSMOVOCORR = :D WHERE CDFILILANCMO = '0001' AND "
                "NROCORRMOV = '0000000001'",
                {{"D", Variant(html)}});
    const ReportDocument report = oca::server::BuildReport(*db, "0001", "0000000001");
    EXPECT_THAT(report.html, Not(HasSubstr("/etc/hostname"))) << "no file of the machine";

    const std::string text = ReadBack();
    const auto pages = std::count(text.begin(), text.end(), '\f');
    ASSERT_GE(pages, 3);
    EXPECT_THAT(text, HasSubstr("Início do relato"));
    EXPECT_THAT(text, HasSubstr("Parágrafo 80 do relato"));
    EXPECT_THAT(text, HasSubstr("Fim do relato"));
    for (int page = 1; page <= pages; ++page) {
        EXPECT_THAT(text,
                    HasSubstr("Página " + std::to_string(page) + " de " + std::to_string(pages)));
    }
    EXPECT_LT(text.find("Início do relato"), text.find("Fim do relato"));
}

TEST_F(Report, AnOccurrenceThatIsGoneOrAPlaceThatCannotBeWrittenIsSaid) {
    EXPECT_THROW(oca::server::BuildReport(*db, "0001", "0000000099"), std::exception);
    const ReportDocument report = oca::server::BuildReport(*db, "0001", "0000000001");
    EXPECT_THAT(WriteReportPdf(report, (folder / "sem-pasta" / "r.pdf").string()),
                HasSubstr("Não foi possível gravar o relatório"));
}

TEST_F(Report, TheCommandLineWritesItWithoutTheDesktop) {
    if (!database->Url().starts_with("sqlite:")) {
        GTEST_SKIP() << "the command line is tried once, on SQLite";
    }
    const std::string pdf = (folder / "cli.pdf").string();
    int status = -1;
    const std::string said =
        Shell(std::string(OCA_REPORT_BIN) + " --db '" + database->Url() + "' 0001 1 '" + pdf + "'",
              &status);
    ASSERT_EQ(status, 0) << said;
    EXPECT_THAT(Shell("pdftotext '" + pdf + "' -"), HasSubstr("0001/0000000001"));
    EXPECT_THAT(
        Shell(std::string(OCA_REPORT_BIN) + " --db '" + database->Url() + "' 0001 99 '" + pdf + "'",
              &status),
        HasSubstr("não existe"));
    EXPECT_EQ(status, 1);
    Shell(std::string(OCA_REPORT_BIN) + " --db x", &status);
    EXPECT_EQ(status, 2);
}

} // namespace
