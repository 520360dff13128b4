// The attachments window as a person uses it: files chosen or dropped, listed, opened
// through a copy, saved elsewhere, removed after a question; a refusal said and the rest
// still stored.
#include "screen_fixture.h"

#include "treatment/Anx_oca0082a.h"

#include <fstream>
#include <sstream>

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

class AttachmentsWindow : public TreatmentScreen {
protected:
    void SetUp() override {
        TreatmentScreen::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("oca-janela-anexos-" + std::to_string(::getpid()) + "-" + CurrentTestName());
        std::filesystem::create_directories(folder);
        window = std::make_unique<TfrmAnexos>();
        window->ShowOccurrence("0001", "0000000001");
        window->Show();
    }
    void TearDown() override {
        window.reset();
        std::filesystem::remove_all(folder);
        TreatmentScreen::TearDown();
    }
    std::string File(const std::string& name, const std::string& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        TClientDataSet& cds = *window->cdsAnexos;
        for (int row = 1; row <= static_cast<int>(cds.RecordCount()); ++row) {
            names.push_back(cds.DisplayTextAt(row, cds.FieldByName("NMARQUIVO")) + " " +
                            cds.DisplayTextAt(row, cds.FieldByName("QTBYTES")));
        }
        return names;
    }
    std::filesystem::path folder;
    std::unique_ptr<TfrmAnexos> window;
};

TEST_F(AttachmentsWindow, FilesChosenOrDroppedAreListedAndARefusedOneIsSaid) {
    EXPECT_EQ(window->Caption(), "Anexos da ocorrência 0001/0000000001");
    EXPECT_EQ(window->lblResumo->Caption(), "Nenhum arquivo anexado.");
    const std::string pdf = File("laudo.pdf", "%PDF-1.4\n" + std::string(3000, 'x'));
    const std::string liar = File("foto.pdf", "\x89PNG\r\n\x1a\n" + std::string(100, 'y'));
    ui.QueueOpenFiles({pdf, liar});
    ASSERT_TRUE(window->sbtAdicionar->UserClick());
    EXPECT_THAT(Said(), Contains(HasSubstr("\"foto.pdf\" não é o que o nome diz")));
    EXPECT_THAT(Names(), ::testing::ElementsAre("laudo.pdf 2,9 KB"));

    const std::string text = File("relato.txt", "Lote úmido na chegada.\n");
    ASSERT_TRUE(window->UserDropFiles({text}));
    EXPECT_THAT(Names(), ::testing::ElementsAre("laudo.pdf 2,9 KB", "relato.txt 24 bytes"));
    EXPECT_EQ(window->lblResumo->Caption(), "2 arquivos, 3,0 KB.");
    // Cancelling the dialog sends nothing.
    ui.QueueOpenFiles({});
    ASSERT_TRUE(window->sbtAdicionar->UserClick());
    EXPECT_EQ(window->cdsAnexos->RecordCount(), 2);
}

TEST_F(AttachmentsWindow, AFileIsOpenedThroughACopyAndSavedWhereThePersonSays) {
    const std::string bytes = "%PDF-1.7\n" + std::string(1500000, 'z');
    ASSERT_EQ(window->AddFiles({File("nota.pdf", bytes)}), 1);
    ui.TakeJournal();
    ASSERT_TRUE(window->sbtAbrir->UserClick());
    std::string opened;
    for (const std::string& line : ui.TakeJournal()) {
        if (line.rfind("document: ", 0) == 0) {
            opened = line.substr(10);
        }
    }
    ASSERT_FALSE(opened.empty()) << "handed to the system's viewer";
    EXPECT_THAT(opened, HasSubstr("1-nota.pdf"));
    EXPECT_EQ(Read(opened), bytes);

    const std::string copy = (folder / "copia.pdf").string();
    ui.QueueSaveFile(copy);
    ASSERT_TRUE(window->sbtSalvarComo->UserClick());
    EXPECT_EQ(Read(copy), bytes);
}

TEST_F(AttachmentsWindow, ARemovalIsAskedAndAnsweredNoKeepsTheFile) {
    ASSERT_EQ(window->AddFiles({File("a.pdf", "%PDF-1.4 a"), File("b.pdf", "%PDF-1.4 b")}), 2);
    ASSERT_TRUE(window->cdsAnexos->Locate("NMARQUIVO", Variant("b.pdf")));
    ui.QueueAnswer(false);
    ASSERT_TRUE(window->sbtRemover->UserClick());
    EXPECT_EQ(window->cdsAnexos->RecordCount(), 2);
    ASSERT_TRUE(window->cdsAnexos->Locate("NMARQUIVO", Variant("b.pdf")));
    ui.QueueAnswer(true);
    ASSERT_TRUE(window->sbtRemover->UserClick());
    EXPECT_THAT(Names(), ::testing::ElementsAre("a.pdf 10 bytes"));
    // Removed meanwhile by another desktop: said, and the list shows what is stored.
    companyDb->ExecuteScript("DELETE FROM ANEXOPARTE; DELETE FROM ANEXOOCORR;");
    ui.TakeJournal();
    ui.QueueAnswer(true);
    ASSERT_TRUE(window->sbtRemover->UserClick());
    EXPECT_THAT(Said(), Contains(HasSubstr("já foi removido por outro usuário")));
    EXPECT_EQ(window->cdsAnexos->RecordCount(), 0);
}

TEST_F(AttachmentsWindow, TheReportIsWrittenWhereAskedAndOpened) {
    std::string written;
    ui.PdfWriter = [&](const ReportDocument& report, const std::string& path) {
        written = report.html;
        std::ofstream(path) << "pdf";
        return std::string();
    };
    const std::string path = (folder / "r.pdf").string();
    ui.QueueSaveFile(path);
    ASSERT_TRUE(WriteOccurrenceReport(*window->netAnexos, "0001", "0000000001"));
    EXPECT_THAT(written, HasSubstr("0001/0000000001"));
    EXPECT_THAT(ui.TakeJournal(), Contains("document: " + path));
    ui.QueueSaveFile(std::nullopt);
    EXPECT_FALSE(WriteOccurrenceReport(*window->netAnexos, "0001", "0000000001"));
    ui.PdfWriter = nullptr;
}

TEST_F(AttachmentsWindow, TheTreatmentScreenReportsItsCurrentOccurrence) {
    ASSERT_TRUE(screen->sbtVerificar->UserClick());
    ASSERT_TRUE(screen->cdsTratamentos->Locate("NROCORRMOV", Variant("0000000002")));
    ui.QueueSaveFile((folder / "t.pdf").string());
    ui.TakeJournal();
    auto* item = dynamic_cast<TMenuItem*>(screen->FindComponent("mnuRelatorio"));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->UserClick());
    EXPECT_THAT(ui.TakeJournal(),
                Contains(HasSubstr("pdf: Relatório de não conformidade 0001/0000000002")));
}

} // namespace
