// The qualification panel against a real server on the scenario company, October and
// November 2026 computed: the list, the colours, the chart, the filter, the export and
// the drill-down into the occurrence register.
#include "panel_fixture.h"

#include "core/csv.h"

#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST_F(Panel, OpensOnTheLastTwelveMonthsWithEverySupplierInColour) {
    EXPECT_EQ(panel->medMesIni->Text(), "12/2025");
    EXPECT_EQ(panel->medMesFin->Text(), "11/2026");
    // 000001: October 2 occurrences of demerits 20 + 10 over 2 receipts (0, D); November
    // a receipt and no occurrence (100, A).
    EXPECT_THAT(List(), ElementsAre("000001 A 100,0 subiu 11/2026 2 3", "12 D 0,0  10/2026 1 0",
                                    "123 D 0,0  10/2026 1 0"));
    EXPECT_EQ(panel->dbgPadrao->CellColor("IDCLASSIF", 1), qualif::StandingColor("A"));
    EXPECT_EQ(panel->dbgPadrao->CellColor("IDCLASSIF", 2), qualif::StandingColor("D"));
    EXPECT_EQ(panel->dbgPadrao->CellColor("NMRAZSOCFORN", 1), std::nullopt);
    EXPECT_EQ(panel->lblCodTela->Caption(), "OCA00810");
    EXPECT_EQ(panel->Caption(), "Qualificação Automática de Fornecedores");
}

TEST_F(Panel, TheChartFollowsTheCurrentSupplier) {
    const auto& points = panel->chtQualif->Points();
    ASSERT_EQ(points.size(), 12u);
    EXPECT_EQ(points.front().label, "dez/25");
    EXPECT_EQ(points.back().label, "nov/26");
    EXPECT_TRUE(points[10].hasLine);
    EXPECT_EQ(points[10].line, 0);
    EXPECT_EQ(points[10].bar, 2);
    EXPECT_EQ(points[11].line, 100);
    EXPECT_FALSE(points[9].hasLine);
    EXPECT_THAT(panel->chtQualif->Title(), HasSubstr("000001 - Aços Brasil S.A."));
    EXPECT_EQ(panel->chtQualif->Bands(), qualif::StandingBands());
    ASSERT_TRUE(panel->dbgPadrao->UserSelectRow(2));
    EXPECT_THAT(panel->chtQualif->Title(), HasSubstr("12 - José Doze"));
    EXPECT_EQ(panel->chtQualif->Points()[10].bar, 1);
    EXPECT_FALSE(panel->chtQualif->Points()[11].hasLine);
}

TEST_F(Panel, TheFilterBarNarrowsAndChecksThePeriod) {
    ASSERT_TRUE(panel->rbtFornLista->UserClick());
    ui.QueueMarks(std::vector<std::string>{"12"});
    ASSERT_TRUE(panel->btpFornecedor->UserClick());
    ASSERT_TRUE(panel->sbtVerificar->UserClick());
    EXPECT_THAT(List(), ElementsAre("12 D 0,0  10/2026 1 0"));
    // A period out of shape is refused here, before the server is asked.
    for (const auto& [from, to, says] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"13/2026", "11/2026", "Informe o período"},
             {"11/2026", "10/2026", "antes do final"}}) {
        panel->medMesIni->SetText(from);
        panel->medMesFin->SetText(to);
        ui.TakeJournal();
        ASSERT_TRUE(panel->sbtVerificar->UserClick());
        EXPECT_THAT(Errors(), ElementsAre(HasSubstr(says))) << from << " " << to;
        EXPECT_THAT(List(), ElementsAre("12 D 0,0  10/2026 1 0")) << "the list stays";
    }
    // October alone, all suppliers again.
    ASSERT_TRUE(panel->rbtFornTodos->UserClick());
    panel->medMesIni->SetText("10/2026");
    panel->medMesFin->SetText("10/2026");
    ASSERT_TRUE(panel->sbtVerificar->UserClick());
    EXPECT_THAT(List(), ElementsAre("000001 D 0,0  10/2026 2 2", "12 D 0,0  10/2026 1 0",
                                    "123 D 0,0  10/2026 1 0"));
    EXPECT_EQ(panel->chtQualif->Points().size(), 1u);
}

// A supplier's row tells how many of its occurrences are being treated and how many of
// their actions are late, in the branches chosen.
TEST_F(Panel, ASuppliersRowShowsItsTreatmentsUnderWayAndOverdueActions) {
    companyDb->ExecuteScript(
        "INSERT INTO TRATOCORR (CDFILILANCMO, NROCORRMOV, IDSITUACAO) VALUES ('0001', "
        "'0000000001', 'E'), ('0002', '0000000002', 'F');"
        "INSERT INTO ACAOOCORR (CDFILILANCMO, NROCORRMOV, NRACAO, IDTIPO, DSACAO, DTPREVISTA, "
        "IDSITUACAO) VALUES ('0001', '0000000001', 1, 'C', 'Vencida', '2020-01-01 00:00:00', "
        "'A'), ('0001', '0000000001', 2, 'C', 'Feita', '2020-01-01 00:00:00', 'R'), ('0001', "
        "'0000000001', 3, 'P', 'No prazo', '2099-01-01 00:00:00', 'A')");
    ASSERT_TRUE(panel->sbtVerificar->UserClick());
    TClientDataSet& cds = *panel->cdsFornecedores;
    ASSERT_TRUE(cds.Locate("CDFORNECED", Variant("000001")));
    EXPECT_EQ(cds.FieldByName("QTTRATABERTOS").AsInteger(), 1) << "the closed one is not";
    EXPECT_EQ(cds.FieldByName("QTACOESVENCIDAS").AsInteger(), 1);
    panel->rbtFiliLista->SetChecked(true);
    panel->selFilial = "|0002|";
    ASSERT_TRUE(panel->sbtVerificar->UserClick());
    ASSERT_TRUE(cds.Locate("CDFORNECED", Variant("000001")));
    EXPECT_EQ(cds.FieldByName("QTTRATABERTOS").AsInteger(), 0) << "another branch's";
    EXPECT_EQ(cds.FieldByName("QTACOESVENCIDAS").AsInteger(), 0);
}

TEST_F(Panel, TheListIsExportedAsASpreadsheetReadsIt) {
    const auto path = std::filesystem::path(Host().configDir + ".csv");
    ui.QueueSaveFile(path.string());
    ASSERT_TRUE(panel->mnuExportarLista->UserClick());
    EXPECT_EQ(ui.Status(), "Lista exportada para " + path.string() + ".");
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(path);
    ASSERT_EQ(text.str().substr(0, 3), kCsvBom);
    const auto rows = ParseCsv(text.str());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_THAT(rows[0], ElementsAre("Código", "Razão Social", "Nota", "Classe", "Variação", "Mês",
                                     "Ocorrências", "Recebimentos", "Tratamentos em curso",
                                     "Ações vencidas", "Apurado em"));
    // When the month was computed: the time of the recomputation above.
    EXPECT_THAT(rows[1], ElementsAre("000001", "Aços Brasil S.A.", "100,0", "A", "subiu", "11/2026",
                                     "2", "3", "0", "0",
                                     ::testing::MatchesRegex("[0-9]{2}/[0-9]{2}/[0-9]{4} "
                                                             "[0-9]{2}:[0-9]{2}:[0-9]{2}")));
    EXPECT_EQ(rows[2][1], "José Doze");
    // A cancelled dialog writes nothing.
    ui.ShowStatus("");
    ui.QueueSaveFile(std::nullopt);
    ASSERT_TRUE(panel->mnuExportarLista->UserClick());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ui.Status(), "") << "nothing written, nothing said";
    // The chart needs a renderer to be drawn; without one the person is told.
    ui.QueueSaveFile(Host().configDir + ".png");
    ui.TakeJournal();
    ASSERT_TRUE(panel->mnuExportarGrafico->UserClick());
    EXPECT_THAT(Errors(), ElementsAre(HasSubstr("Não foi possível gravar o gráfico")));
}

// A month picked on the chart opens the register on that supplier's occurrences of that
// month, of every branch, through the filter's own confirmation.
TEST_F(Panel, PickingAMonthOpensItsOccurrencesInTheRegister) {
    ui.TakeJournal();
    EXPECT_FALSE(panel->chtQualif->UserSelect(10)) << "on a page not shown, out of reach";
    ASSERT_TRUE(panel->pgcPadrao->UserSelectPage(panel->tshFormulario));
    ASSERT_TRUE(panel->chtQualif->UserSelect(10)); // October 2026, supplier 000001
    ASSERT_NE(frmParecerOcorrAtend, nullptr);
    TClientDataSet& occurrences = *frmParecerOcorrAtend->cdsMovOcorr;
    ASSERT_TRUE(occurrences.Active());
    std::vector<std::string> keys;
    for (int row = 1; row <= static_cast<int>(occurrences.RecordCount()); ++row) {
        keys.push_back(occurrences.DisplayTextAt(row, occurrences.FieldByName("CDFILILANCMO")) +
                       "/" + occurrences.DisplayTextAt(row, occurrences.FieldByName("NROCORRMOV")));
    }
    // 0002/0000000002 counts for the score but names an operator that does not exist, and
    // the register's selection leaves such occurrences out.
    EXPECT_THAT(keys, ElementsAre("0001/0000000001"));
    const std::vector<std::string> journal = ui.TakeJournal();
    EXPECT_THAT(journal, ::testing::Not(::testing::Contains("modal: frmFiltroOcorAte")))
        << "the filter is confirmed, not shown";
    // The person's own choices on the filter, as they left them.
    ASSERT_NE(frmFiltroOcorAte, nullptr);
    frmFiltroOcorAte->rbtFiliLista->SetChecked(true);
    frmFiltroOcorAte->selFilial = "|0002|";
    frmFiltroOcorAte->chkCliente->SetChecked(true);
    frmFiltroOcorAte->rbtCPFTodos->SetChecked(true);
    frmFiltroOcorAte->depPerIni->SetDate(EncodeDate(2026, 3, 1));
    // The same for December 2025: nothing of that supplier then.
    ASSERT_TRUE(panel->chtQualif->UserSelect(0));
    EXPECT_EQ(occurrences.RecordCount(), 0u);
    EXPECT_EQ(frmFiltroOcorAte->qryParams->ParamByName("P_CDFORNECED").AsString(), "|F000001|")
        << "loaded as the drill-down chose";
    // Filtering again, the person finds their choices, not the drill-down's.
    EXPECT_TRUE(frmFiltroOcorAte->rbtFiliLista->Checked());
    EXPECT_EQ(frmFiltroOcorAte->selFilial, "|0002|");
    EXPECT_TRUE(frmFiltroOcorAte->chkCliente->Checked());
    EXPECT_TRUE(frmFiltroOcorAte->rbtCPFTodos->Checked());
    EXPECT_EQ(frmFiltroOcorAte->selCPF, "");
    EXPECT_EQ(frmFiltroOcorAte->depPerIni->GetDate().Value, EncodeDate(2026, 3, 1).Value);
}

} // namespace
