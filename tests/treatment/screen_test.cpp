// The treatment screen driven as a person does, against a real server on the scenario
// company: the list and its filters, a treatment followed to its closure, a refusal that
// keeps what was typed, and the register opening it on its current occurrence.
#include "screen_fixture.h"

#include "treatment/Pkg_oca0082a.h"

namespace {

using ::testing::HasSubstr;

TEST_F(TreatmentScreen, OpensOnTheBranchsOccurrencesAllOpen) {
    EXPECT_EQ(List(), (std::vector<std::string>{"0001/01 Aberta", "0001/04 Aberta",
                                                "0001/02 Aberta", "0001/03 Aberta"}));
    EXPECT_EQ(screen->cdsTratamento->FieldByName("NROCORRMOV").AsString(), "0000000001")
        << "the current row's treatment is read";
    EXPECT_EQ(screen->cdsDescricao->FieldByName("DSMOVOCORR").AsString(), "<p>Descrição um</p>");
    EXPECT_EQ(screen->cdsParecer->FieldByName("DSPAROCORMOV").AsString(), "<p>Parecer um</p>");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(TreatmentScreen, ATreatmentIsFollowedToItsClosureAndARefusalKeepsWhatWasTyped) {
    ASSERT_TRUE(screen->OpenOccurrence("0001", "0000000002"));
    EXPECT_EQ(List(), (std::vector<std::string>{"0001/02 Aberta"}));
    ASSERT_TRUE(screen->sbtAlterar->UserClick());
    ASSERT_TRUE(Edit("dbeResponsavel").UserType("002"));
    ASSERT_TRUE(Date("dbdPrazo").UserType(DateText(10)));
    ASSERT_TRUE(Edit("dbeCausa").UserType("Embalagem frágil"));
    ASSERT_TRUE(screen->mnuNovaAcao->UserClick());
    ASSERT_TRUE(Edit("dbeAcaoTexto").UserType("Trocar a embalagem"));
    ASSERT_TRUE(Edit("dbeAcaoResponsavel").UserType("002"));
    ASSERT_TRUE(Date("dbdAcaoPrevista").UserType(DateText(5)));
    ASSERT_TRUE(screen->mnuEmAcao->UserClick());
    ASSERT_TRUE(screen->sbtConfirmar->UserClick());
    EXPECT_TRUE(Said().empty()) << "stored, and nothing left to ask about";
    EXPECT_EQ(List(), (std::vector<std::string>{"0001/02 Em ação"}));
    EXPECT_EQ(screen->cdsTratamento->FieldByName("NMOPERRESP").AsString(), "Bruno");
    EXPECT_EQ(Edit("dbeSituacao").Text(), "Em ação") << "the situation by its name";
    EXPECT_EQ(screen->cdsAcoes->RecordCount(), 1u);
    EXPECT_EQ(screen->cdsAcoes->DisplayTextAt(1, screen->cdsAcoes->FieldByName("IDSITUACAO")),
              "Aberta");
    EXPECT_EQ(Edit("dbeAcaoSituacao").Text(), "A") << "the letter, to be typed over";

    // Closed with the action open: the server refuses, and every typed value stays.
    ASSERT_TRUE(screen->mnuEncerrar->UserClick());
    ASSERT_TRUE(Edit("dbeAcaoImediata").UserType("Lote separado"));
    ASSERT_TRUE(screen->sbtConfirmar->UserClick());
    const std::vector<std::string> errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THAT(errors[0], HasSubstr("há ações abertas"));
    EXPECT_TRUE(screen->Changed());
    EXPECT_EQ(screen->cdsTratamento->FieldByName("DSACAOIMED").AsString(), "Lote separado");
    EXPECT_EQ(screen->cdsTratamento->FieldByName("IDSITUACAO").AsString(), "F");

    // The action done and found effective: the same change now closes it.
    ASSERT_TRUE(Edit("dbeAcaoSituacao").UserType("R"));
    ASSERT_TRUE(Date("dbdAcaoVerificada").UserType(DateText(0)));
    ASSERT_TRUE(Edit("dbeAcaoEficaz").UserType("S"));
    ASSERT_TRUE(screen->sbtConfirmar->UserClick());
    EXPECT_TRUE(Errors().empty());
    EXPECT_FALSE(screen->Changed());
    EXPECT_EQ(List(), (std::vector<std::string>{"0001/02 Encerrada"}));
    EXPECT_EQ(screen->cdsTratamento->FieldByName("NMOPERENCERRA").AsString(), "Ana");
    EXPECT_FALSE(screen->cdsTratamento->FieldByName("DTENCERRA").IsNull());
    EXPECT_EQ(screen->cdsTratamento->FieldByName("DSACAOIMED").AsString(), "Lote separado");

    // Reopened with a reason, it is open to changes again.
    ui.QueueInput(std::string("Reincidência"));
    ASSERT_TRUE(screen->mnuReabrir->UserClick());
    ASSERT_TRUE(screen->sbtConfirmar->UserClick());
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(List(), (std::vector<std::string>{"0001/02 Em análise"}));
}

TEST_F(TreatmentScreen, TheFilterBarPicksTheOverdueAndPaintsThemRed) {
    // One overdue action, on occurrence 0001/04.
    ASSERT_TRUE(screen->OpenOccurrence("0001", "0000000004"));
    ASSERT_TRUE(screen->mnuNovaAcao->UserClick());
    ASSERT_TRUE(Edit("dbeAcaoTexto").UserType("Recolher o lote"));
    ASSERT_TRUE(Date("dbdAcaoPrevista").UserType(DateText(-2)));
    ASSERT_TRUE(screen->sbtConfirmar->UserClick());
    ASSERT_TRUE(Errors().empty());

    screen->edtFilial->UserType("");
    screen->chkVencidas->SetChecked(true);
    ASSERT_TRUE(screen->sbtVerificar->UserClick());
    EXPECT_EQ(List(), (std::vector<std::string>{"0001/04 Aberta"}));
    EXPECT_TRUE(screen->dbgPadrao->CellColor("DSSUMARIAOC", 1).has_value()) << "in red";

    screen->chkVencidas->SetChecked(false);
    screen->edtFilial->UserType("0001");
    ASSERT_TRUE(screen->sbtVerificar->UserClick());
    ASSERT_EQ(List().size(), 4u);
    for (int row = 1; row <= 4; ++row) {
        const bool overdue =
            screen->cdsTratamentos->DisplayTextAt(
                row, screen->cdsTratamentos->FieldByName("NROCORRMOV")) == "0000000004";
        EXPECT_EQ(screen->dbgPadrao->CellColor("NROCORRMOV", row).has_value(), overdue) << row;
    }
    screen->depDe->UserType("20/10/2026");
    screen->depAte->UserType("01/10/2026");
    ASSERT_TRUE(screen->sbtVerificar->UserClick());
    EXPECT_THAT(Errors(), ::testing::ElementsAre(HasSubstr("data inicial deve vir antes")));
}

// What the module tells the host's status bar: the operator's own overdue actions.
TEST_F(TreatmentScreen, TellsTheHostTheOperatorsOverdueActions) {
    EXPECT_STREQ(ModuleStatusText(), "");
    const auto action = [&](int n, const char* who, const char* due) {
        companyDb->Execute("INSERT INTO ACAOOCORR (CDFILILANCMO, NROCORRMOV, NRACAO, IDTIPO, "
                           "DSACAO, CDOPERRESP, DTPREVISTA, IDSITUACAO) VALUES ('0001', "
                           "'0000000001', :N, 'C', 'Ação', :O, :D, 'A')",
                           {{"N", Variant(n)}, {"O", Variant(who)}, {"D", Variant(due)}});
    };
    action(1, "001", "2020-01-01 00:00:00");
    action(2, "002", "2020-01-01 00:00:00");
    action(3, "001", "2099-01-01 00:00:00");
    EXPECT_STREQ(ModuleStatusText(), "1 ação vencida");
    action(4, "001", "2021-01-01 00:00:00");
    EXPECT_STREQ(ModuleStatusText(), "2 ações vencidas");
}

TEST_F(TreatmentScreen, TheRegisterOpensItOnItsCurrentOccurrence) {
    Application->Release(screen);
    frmTratOcorr = nullptr;
    ui.QueueModal([](TForm& form) {
        auto& filter = dynamic_cast<TfrmFiltroOcorAte&>(form);
        filter.depPerIni->UserType("01012026");
        filter.depPerFin->UserType("31122026");
        filter.sbtConfirma->UserClick();
        return mrNone;
    });
    frmParecerOcorrAtend = Application->CreateForm<TfrmParecerOcorrAtend>();
    frmParecerOcorrAtend->Show();
    ASSERT_TRUE(frmParecerOcorrAtend->cdsMovOcorr->Locate("NROCORRMOV", Variant("0000000003")));
    ASSERT_TRUE(frmParecerOcorrAtend->mnuTratamento->UserClick());
    ASSERT_NE(frmTratOcorr, nullptr);
    screen = frmTratOcorr;
    EXPECT_EQ(List(), (std::vector<std::string>{"0001/03 Aberta"}));
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), screen->tshFormulario);
    EXPECT_EQ(screen->cdsTratamento->FieldByName("NROCORRMOV").AsString(), "0000000003");
    // Another branch's occurrence: the filter bar says whose list it is.
    ASSERT_TRUE(screen->OpenOccurrence("0002", "0000000001"));
    EXPECT_EQ(List(), (std::vector<std::string>{"0002/01 Aberta"}));
    EXPECT_EQ(screen->edtFilial->Text(), "0002");
}

} // namespace
