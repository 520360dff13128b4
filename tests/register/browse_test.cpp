// The register screen against a real server: loading, browsing, pages and states.
#include "screen_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "register/Cli_oca0080a.h"

#include "framework/controls/application.h"

#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"

#include <gmock/gmock.h>

using ::testing::Contains;
using ::testing::ElementsAre;

namespace {

class Browsing : public RegisterScreenTest {
protected:
    std::vector<bool> Toolbar() {
        std::vector<bool> out;
        for (TSpeedButton* b :
             {screen->sbtIncluir, screen->sbtAlterar, screen->sbtExcluir, screen->sbtProcurar,
              screen->sbtVerificar, screen->sbtCancelar, screen->sbtConfirmar}) {
            out.push_back(b->Enabled());
        }
        return out;
    }
};

TEST_F(Browsing, TheStateTableFollowsTheRecordAndTheBranchParameters) {
    EXPECT_TRUE(screen->netOcorAtend->Connected());
    Load("|0001|");
    ASSERT_EQ(screen->cdsMovOcorr->RecordCount(), 3u);
    // Branch 0001 allows maintenance in module 30: insert, alter, delete, search, verify.
    EXPECT_TRUE(screen->Maintenance());
    EXPECT_THAT(Toolbar(), ElementsAre(true, true, true, true, true, false, false));
    EXPECT_TRUE(screen->tshFormulario->Enabled());
    EXPECT_TRUE(screen->tshDescricao->Enabled());
    EXPECT_FALSE(screen->rbtCliente->Enabled()) << "the counterpart is chosen only when inserting";
    EXPECT_FALSE(screen->dbeCdFilial->Enabled());
    EXPECT_FALSE(screen->dbeNRTAREFA->Enabled()) << "tasks belong to module 66";

    screen->cdsMovOcorr->Edit();
    EXPECT_THAT(Toolbar(), ElementsAre(false, false, false, false, false, true, true));
    EXPECT_FALSE(screen->tshFolhaDados->Enabled());
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), screen->tshFormulario) << "editing shows the form";
    screen->cdsMovOcorr->Cancel();

    // A branch whose parameters do not allow maintenance in module 30.
    Host().branch = "0003";
    Load("|0003|");
    EXPECT_TRUE(screen->cdsMovOcorr->IsEmpty());
    EXPECT_FALSE(screen->Maintenance());
    EXPECT_THAT(Toolbar(), ElementsAre(false, false, false, false, false, false, false));
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), screen->tshFolhaDados);
    EXPECT_FALSE(screen->tshFormulario->Enabled());
    EXPECT_FALSE(screen->tshParecer->Enabled());
}

// The maintenance flag by module and branch: modules 30 and 66 follow the branch's
// IDINCOCORR (branch 0012 has no parameters, so none), any other module maintains. On a
// list that is not empty, insert and delete follow the flag; alter, search and verify do
// not. Tasks are for module 66 only.
TEST_F(Browsing, TheMaintenanceFlagFollowsTheModuleAndTheBranch) {
    struct Case {
        int module;
        const char* branch;
        bool maintenance;
    };
    const Case cases[] = {{30, "0001", true},  {30, "0012", false}, {66, "0001", true},
                          {66, "0012", false}, {12, "0001", true},  {12, "0012", true}};
    for (const Case& c : cases) {
        Host().activeModule = c.module;
        Host().branch = c.branch;
        Load(std::string("|") + c.branch + "|");
        const std::string what = std::to_string(c.module) + "/" + c.branch;
        ASSERT_FALSE(screen->cdsMovOcorr->IsEmpty()) << what;
        EXPECT_EQ(screen->Maintenance(), c.maintenance) << what;
        EXPECT_THAT(Toolbar(),
                    ElementsAre(c.maintenance, true, c.maintenance, true, true, false, false))
            << what;
        EXPECT_EQ(screen->mnuExcluir->Enabled(), c.maintenance) << what;
        EXPECT_EQ(screen->dbeNRTAREFA->Enabled(), c.module == 66) << what;
    }
}

// A branch code with a quote is still one value in the parameters' filter: it neither
// breaks it nor reads the parameters of the branch its first characters name.
TEST_F(Browsing, ABranchCodeWithAQuoteReadsItsOwnParameters) {
    auto db = oca::db::Database::Open(url);
    db->ExecuteScript(
        "INSERT INTO FILIAL VALUES ('0''1', 'Aspas'), ('0', 'Zero');"
        "INSERT INTO PARAMFILIAL VALUES ('0''1', 'N', 'N', 'N'), ('0', 'S', 'N', 'N');");
    Host().activeModule = 30;
    for (const auto& [branch, maintenance] :
         {std::pair<std::string, bool>{"0'1", false}, {"0", true}}) {
        Host().branch = branch;
        Load("|0'1|0|");
        ASSERT_EQ(screen->cdsParamFilial->RecordCount(), 1u) << branch;
        EXPECT_EQ(screen->Maintenance(), maintenance) << branch;
    }
}

// Insert follows the clerk's branch, not the shown record's: the parameters are read with
// no branch filter, whichever record the list stands on.
TEST_F(Browsing, InsertIsRefusedByTheClerksBranchWhenTheRecordsBranchAllowsIt) {
    auto db = oca::db::Database::Open(url);
    db->ExecuteScript("INSERT INTO FILIAL VALUES ('0003', 'Filial Norte');"
                      "INSERT INTO PARAMFILIAL VALUES ('0003', 'N', 'N', 'N');");
    Host().activeModule = 30;
    Host().branch = "0003";
    Load("|0001|0003|");
    ASSERT_EQ(screen->cdsMovOcorr->FieldByName("CDFILIAL").AsString(), "0001");
    ASSERT_TRUE(screen->Maintenance()) << "the record's branch allows maintenance";
    ASSERT_TRUE(screen->sbtIncluir->Enabled());
    ui.TakeJournal();
    EXPECT_THROW(screen->sbtIncluir->UserClick(), EAbort);
    EXPECT_THAT(ui.TakeJournal(), Contains("error: Filial não permite inclusão de ocorrência."));
    EXPECT_EQ(screen->cdsMovOcorr->State(), dsBrowse);
    EXPECT_EQ(screen->cdsMovOcorr->RecordCount(), 3u);
}

TEST_F(Browsing, ScrollingSetsTheHourTheCounterpartAndFetchesTextsOnlyOnTheirPage) {
    Load("|0001|");
    EXPECT_EQ(screen->medHora->EditText(), "09:30");
    EXPECT_TRUE(screen->rbtForne->Checked());
    screen->cdsMovOcorr->Next();
    EXPECT_TRUE(screen->rbtCliente->Checked());
    EXPECT_EQ(screen->medHora->EditText(), "23:59");
    EXPECT_FALSE(screen->cdsDescMovOcorr->Active()) << "no text fetched on the list page";

    screen->cdsMovOcorr->First();
    ui.TakeJournal();
    ASSERT_TRUE(screen->pgcPadrao->UserSelectPage(screen->tshDescricao));
    EXPECT_EQ(screen->dreDescricao->PlainText(), "Descrição um");
    EXPECT_EQ(screen->dreDescricao->DataSource(), screen->dtsDescMovOcorr);
    EXPECT_FALSE(screen->dreDescricao->ReadOnly()) << "module 30 edits texts";
    EXPECT_TRUE(screen->mnuDescricao->Checked());
    EXPECT_THAT(
        ui.TakeJournal(),
        ElementsAre(
            "progress: frmParecerOcorrAtend 6 Recebendo descrição da ocorrência do servidor...",
            "progress: hide"));
    screen->cdsMovOcorr->Next();
    EXPECT_EQ(screen->cdsDescMovOcorr->RecordCount(), 0u) << "fetched again for the new occurrence";
    EXPECT_EQ(screen->dreDescricao->PlainText(), "");

    ASSERT_TRUE(screen->mnuFolhaDados->UserClick());
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), screen->tshFolhaDados);
    EXPECT_EQ(screen->dreDescricao->DataSource(), nullptr) << "editors detach off their page";
}

TEST_F(Browsing, AnOccurrenceWithoutADateShowsMidnight) {
    screen->medHora->SetText("12:34");
    DataPacket p;
    for (TField* f : screen->cdsMovOcorr->FieldList()) {
        if (!f->Calculated()) {
            p.fields.push_back(f->Describe());
        }
    }
    p.rows.push_back(Row(p.fields.size()));
    screen->cdsMovOcorr->SetData(MakePacketVariant(p));
    EXPECT_EQ(screen->medHora->EditText(), "00:00");
    EXPECT_TRUE(screen->rbtForne->Checked()) << "an empty kind leaves the buttons as they were";
}

} // namespace

#include "core/csv.h"

#include <fstream>
#include <sstream>

namespace {

// The list page as a spreadsheet: the grid's columns by their titles, each occurrence
// with the texts the list shows, values holding a separator or a quote kept whole.
TEST_F(Browsing, TheListIsExportedWithItsDisplayTexts) {
    oca::db::Database::Open(url)->Execute(
        "UPDATE FORNECEDOR SET NMRAZSOCFORN = 'Aços; \"Brasil\"' WHERE CDFORNECED = '000001'");
    Load("|0001|");
    const std::string path = std::filesystem::temp_directory_path() /
                             ("oca_lista_" + std::to_string(::getpid()) + ".csv");
    ui.QueueSaveFile(path);
    ASSERT_TRUE(screen->mnuExportarLista->UserClick());
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(path);
    const auto rows = ParseCsv(text.str());
    ASSERT_EQ(rows.size(), screen->cdsMovOcorr->RecordCount() + 1);
    ASSERT_EQ(rows[0].size(), screen->dbgPadrao->Columns.size());
    EXPECT_EQ(rows[0][0], screen->dbgPadrao->ColumnTitle(0));
    EXPECT_EQ(rows[0][3], "Tipo");
    const auto first = std::find_if(rows.begin() + 1, rows.end(),
                                    [](const auto& r) { return r[0] == "0000000001"; });
    ASSERT_NE(first, rows.end());
    EXPECT_EQ((*first)[3], "Fornecedor") << "the display text, not the stored code";
    EXPECT_EQ((*first)[1], "10/10/2026 09:30:00");
    EXPECT_EQ((*first)[4], "Aços; \"Brasil\"");
    EXPECT_THAT(text.str(), ::testing::HasSubstr("\"Aços; \"\"Brasil\"\"\""));
}

} // namespace
