// The register screen against a real server: loading, browsing, pages and states.
#include "../appserver/server_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "register/Cli_oca0080a.h"

#include "framework/controls/application.h"

#include "framework/host/host_context.h"
#include "framework/ui/scripted_ui_driver.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

class Browsing : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        SetUi(&ui);
        Host().serverPort = port;
        Host().serverToken = token;
        Host().branch = "0001";
        Host().activeModule = 30;
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
        screen = std::make_unique<TfrmParecerOcorrAtend>();
        frmParecerOcorrAtend = screen.get();
        screen->DoCreate();
        screen->Show(); // the first activation's filter is left without confirming
    }
    void TearDown() override {
        if (frmFiltroOcorAte) {
            Application->Release(frmFiltroOcorAte);
        }
        screen.reset();
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        Host() = HostContext();
        SetUi(nullptr);
        ServerTest::TearDown();
    }
    // What the filter's confirmation does: both loads, then the state behaviour.
    void Load(const std::string& branches) {
        screen->cdsMovOcorr->SetData(screen->netOcorAtend->Call(
            "GetMovOcorr",
            {Variant(branches), Variant(""), Variant(""), Variant("T"), Variant(""), Variant("T"),
             Variant(EncodeDate(2026, 1, 1)), Variant(EncodeDate(2026, 12, 31)), Variant(""),
             Variant("T"), Variant(""), Variant(""), Variant("")}));
        screen->cdsParamFilial->SetData(
            screen->netOcorAtend->Call("GetParamFilial", {Variant(branches), Variant("")}));
        screen->dtsPadraoStateChange(nullptr);
    }
    std::vector<bool> Toolbar() {
        std::vector<bool> out;
        for (TSpeedButton* b :
             {screen->sbtIncluir, screen->sbtAlterar, screen->sbtExcluir, screen->sbtProcurar,
              screen->sbtVerificar, screen->sbtCancelar, screen->sbtConfirmar}) {
            out.push_back(b->Enabled());
        }
        return out;
    }
    ScriptedUiDriver ui;
    std::unique_ptr<TfrmParecerOcorrAtend> screen;
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
