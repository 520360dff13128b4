// The filter screen beside the register screen, against a real server and database.
#include "../appserver/server_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "register/Cli_oca0080a.h"

#include "framework/controls/application.h"
#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"

#include <gmock/gmock.h>

#include <set>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class Filter : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        SetUi(&ui);
        Host().serverPort = port;
        Host().unattendedPassword = oca::access::DemoPassword;
        Host().serverToken = token;
        Host().branch = "0001";
        Host().activeModule = 30;
        Host().configDir = (std::filesystem::temp_directory_path() /
                            ("oca_cfg_" + std::to_string(::getpid()) + "_" + CurrentTestName()))
                               .string();
        companyDb = oca::db::Database::Open(url);
        TADOIBQuery::SetDefaultDatabase(companyDb.get());
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
        frmParecerOcorrAtend = Application->CreateForm<TfrmParecerOcorrAtend>();
    }
    void TearDown() override {
        if (frmFiltroOcorAte) {
            Application->Release(frmFiltroOcorAte);
        }
        if (frmParecerOcorrAtend) {
            Application->Release(frmParecerOcorrAtend);
        }
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        TADOIBQuery::SetDefaultDatabase(nullptr);
        std::filesystem::remove_all(Host().configDir);
        Host() = HostContext();
        SetUi(nullptr);
        ServerTest::TearDown();
    }
    TfrmParecerOcorrAtend& Register() { return *frmParecerOcorrAtend; }
    static void Dates(TfrmFiltroOcorAte& f, const char* from, const char* to) {
        f.depPerIni->UserType(from);
        f.depPerFin->UserType(to);
    }
    std::string Param(const char* name) {
        const TParam& p = frmFiltroOcorAte->qryParams->ParamByName(name);
        return p.IsNull() ? "null" : p.AsString();
    }
    std::vector<std::string> Numbers() {
        std::vector<std::string> out;
        TDataSet& cds = *Register().cdsMovOcorr;
        for (cds.First(); !cds.Eof(); cds.Next()) {
            out.push_back(cds.FieldByName("CDFILILANCMO").AsString() + "/" +
                          cds.FieldByName("NROCORRMOV").AsString().substr(8));
        }
        return out;
    }

    ScriptedUiDriver ui;
    std::unique_ptr<oca::db::Database> companyDb;
};

TEST_F(Filter, TheFirstActivationRunsTheFilterWhoseConfirmationLoadsTheOccurrences) {
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        EXPECT_FALSE(f.btpFilial->Enabled());
        f.rbtFiliLista->UserClick();
        EXPECT_TRUE(f.btpFilial->Enabled());
        ui.QueueMarks(std::vector<std::string>{"0001"});
        f.btpFilial->UserClick();
        Dates(f, "01102026", "30112026");
        f.sbtConfirma->UserClick();
        return mrNone;
    });
    Register().Show();
    EXPECT_THAT(Numbers(), ElementsAre("0001/01", "0001/02", "0001/03"));
    EXPECT_EQ(Param("P_CDFILIAL"), "|0001|");
    EXPECT_EQ(Param("P_TCDFILIAL"), "null");
    EXPECT_EQ(Param("P_TCDGRUPOCOR"), "T");
    EXPECT_EQ(Param("P_CDCLIENTE"), "null");
    EXPECT_EQ(Register().cdsParamFilial->RecordCount(), 1u);
    EXPECT_FALSE(frmFiltroOcorAte->Showing()) << "hidden, kept for the next showing";
    EXPECT_EQ(frmFiltroOcorAte->DefaultButton(), frmFiltroOcorAte->sbtConfirma)
        << "Enter confirms the filter";
    EXPECT_EQ(Register().pgcPadrao->ActivePage(), Register().tshFolhaDados);
    EXPECT_TRUE(Register().sbtAlterar->Enabled()) << "the state behaviour ran on closing";
    const auto journal = ui.TakeJournal();
    EXPECT_THAT(journal, ::testing::Contains("progress: principal 6 Carregando ocorrências..."));
    EXPECT_THAT(journal, ::testing::Contains("lista: Filial -> 0001"));

    // A later activation does not run the filter again; "Filtrar" reuses the instance.
    TfrmFiltroOcorAte* first = frmFiltroOcorAte;
    Register().Show();
    EXPECT_THAT(ui.TakeJournal(), ::testing::ElementsAre("show: frmParecerOcorrAtend"))
        << "brought forward, nothing else";
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        EXPECT_TRUE(f.rbtFiliLista->Checked()) << "the previous choices are kept";
        EXPECT_EQ(f.selFilial, "|0001|");
        f.Close();
        return mrNone;
    });
    EXPECT_TRUE(Register().UserShortCut("Ctrl+L"));
    EXPECT_EQ(frmFiltroOcorAte, first);
}

// The load parameters' default SQL text runs on the company database with the
// parameters a confirmation set, and selects the occurrence record's columns: a column
// or table misspelt in the text fails here. (SQLite reads the text's US-format date
// cast as a number, so the rows themselves are not compared.)
TEST_F(Filter, TheParametersSelectionTextSelectsTheRecordsColumns) {
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        f.rbtFiliLista->UserClick();
        ui.QueueMarks(std::vector<std::string>{"0001"});
        f.btpFilial->UserClick();
        Dates(f, "01102026", "30112026");
        f.sbtConfirma->UserClick();
        return mrNone;
    });
    Register().Show();
    TADOIBQuery& text = *frmFiltroOcorAte->qryParams;
    ASSERT_NO_THROW(text.Open());
    std::set<std::string> selected, record;
    for (const TField* f : text.FieldList()) {
        selected.insert(f->FieldName());
    }
    text.Close();
    for (const TField* f : Register().cdsMovOcorr->FieldList()) {
        if (!f->Calculated()) {
            record.insert(f->FieldName());
        }
    }
    EXPECT_EQ(selected, record);
    // The contact list's texts differ only in spelling: the default, Oracle and
    // InterBase texts are one text; Microsoft SQL Server joins with "+".
    const TADOIBQuery& cpf = *frmFiltroOcorAte->qryCPF;
    EXPECT_EQ(cpf.SQL_ORACLE.Text(), cpf.SQL.Text());
    EXPECT_EQ(cpf.SQL_IB.Text(), cpf.SQL.Text());
    EXPECT_THAT(cpf.SQL_MSSQL.Text(), HasSubstr("'C' + CDCLIENTE"));
    EXPECT_THAT(text.SQL_ORACLE.Text(), HasSubstr("TRUNC(M.DTOCORRMOV)"));
    EXPECT_THAT(text.SQL_MSSQL.Text(), HasSubstr("CHARINDEX(M.CDFILIAL, :P_CDFILIAL)"));
    EXPECT_EQ(text.SQL_IB.Text(), text.SQL.Text());
}

// Every check of the confirmation, in the order they run, each with its catalog text and
// the control it focuses; a check that fails leaves the screen open and loads nothing.
TEST_F(Filter, ChecksRunInOrderWithTheirMessagesAndFocus) {
    std::vector<std::string> focused;
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        // Through the application, as a person's click: a refused check shows and stops.
        auto confirm = [&] {
            Application->Dispatch([&] { f.sbtConfirma->UserClick(); });
            focused.push_back(f.ActiveControl() ? f.ActiveControl()->Name() : "");
        };
        for (TRadioButton* list :
             {f.rbtCPFLista, f.rbtAtendLista, f.rbtSegLista, f.rbtGOcorLista, f.rbtFiliLista}) {
            list->UserClick();
        }
        for (TRadioButton* all :
             {f.rbtFiliTodos, f.rbtGOcorTodos, f.rbtSegTodos, f.rbtAtendTodos, f.rbtCPFTodos}) {
            confirm();
            all->UserClick();
        }
        confirm();
        f.depPerIni->UserType("01112026");
        confirm();
        f.depPerFin->UserType("31102026");
        confirm();
        f.depPerIni->UserType("31022026");
        confirm();
        f.Close();
        return mrNone;
    });
    Register().Show();
    std::vector<std::string> errors;
    for (const std::string& line : ui.Journal()) {
        if (line.rfind("error: ", 0) == 0) {
            errors.push_back(line.substr(7));
        }
    }
    EXPECT_THAT(errors,
                ElementsAre("Filial deve ser informada.", "Grupo de ocorrência deve ser informado.",
                            "Segmento deve ser informado.", "Atendimento deve ser informado.",
                            "Cliente/Forneced/Prosp deve ser informado.",
                            "Período inicial deve ser informado.",
                            "Período final deve ser informado.",
                            "Data inicial deve ser menor ou igual a data final.",
                            "'31/02/2026' não é uma data válida"));
    // The date order check keeps the focus where it was; what the editor does with an
    // invalid date of its own is the editor's business.
    focused.pop_back();
    EXPECT_THAT(focused,
                ElementsAre("rbtFiliLista", "rbtGOcorLista", "rbtSegLista", "rbtAtendLista",
                            "rbtCPFLista", "depPerIni", "depPerFin", "depPerFin"));
    EXPECT_FALSE(Register().cdsMovOcorr->Active()) << "leaving without confirming loads nothing";
    EXPECT_FALSE(Register().tshFormulario->Enabled());
}

// A period of one day is accepted and brings every occurrence of that day, whatever its
// time: 23:59:59 included.
TEST_F(Filter, AOneDayPeriodIsAcceptedAndTakesTheWholeDay) {
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        Dates(f, "31102026", "31102026");
        f.sbtConfirma->UserClick();
        return mrNone;
    });
    Register().Show();
    EXPECT_THAT(Numbers(), ElementsAre("0001/02"));
    for (const std::string& line : ui.Journal()) {
        EXPECT_NE(line.rfind("error: ", 0), 0u) << line;
    }
}

TEST_F(Filter, ContactsOnTodosFollowTheKindBoxesAndTheSearchOffersTheCheckedKinds) {
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        f.chkCliente->UserClick();
        f.chkProspect->UserClick();
        f.rbtCPFLista->UserClick();
        ui.QueueMarks(std::vector<std::string>{"F123"});
        f.btpCPF->UserClick();
        EXPECT_EQ(f.cdsCpf->RecordCount(), 3u) << "only suppliers offered";
        EXPECT_EQ(f.cdsCpf->FieldByName("IDTPCONTATO").DisplayText(), "Fornecedor");
        f.rbtCPFTodos->UserClick();
        Dates(f, "01012026", "31122026");
        f.sbtConfirma->UserClick();
        return mrNone;
    });
    Register().Show();
    EXPECT_EQ(Param("P_CDCLIENTE"), "_");
    EXPECT_EQ(Param("P_CDPROSPECT"), "_");
    EXPECT_EQ(Param("P_CDFORNECED"), "null");
    EXPECT_THAT(Numbers(), ElementsAre("0001/01", "0002/01", "0012/01"));
    EXPECT_EQ(frmFiltroOcorAte->selCPF, "|F123|") << "kept while on Todos";
    // All three kinds cleared: the search is empty and says so with no words.
    frmFiltroOcorAte->chkForn->SetChecked(false);
    frmFiltroOcorAte->btpCPF->Click();
    EXPECT_EQ(ui.Journal().back(),
              "lista: Cliente/Fornecedor/Prospect -> vazia: Não há  cadastrado.");
}

// The four simple searches give the catalog's title alone: an empty list shows the host's
// own text, as every search of the host does.
TEST_F(Filter, SimpleSearchesOfAnEmptyListShowTheHostsOwnText) {
    // The occurrences that name them stay.
    companyDb->Execute(database->Postgres() ? "SET session_replication_role = replica"
                                            : "PRAGMA foreign_keys = OFF");
    companyDb->Execute("DELETE FROM SEGMERCADO");
    companyDb->Execute("DELETE FROM TAREFA");
    companyDb->Execute("DELETE FROM GRUPOCOR");
    companyDb->Execute("DELETE FROM FILIAL");
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        for (TRadioButton* list :
             {f.rbtFiliLista, f.rbtGOcorLista, f.rbtSegLista, f.rbtAtendLista}) {
            list->UserClick();
        }
        ui.TakeJournal();
        for (TBtnPesquisa* search : {f.btpFilial, f.btpGOcor, f.btpSegMercado, f.btpAtendimento}) {
            search->UserClick();
        }
        EXPECT_THAT(ui.TakeJournal(),
                    ElementsAre("lista: Filial -> vazia: Não há registros para pesquisar.",
                                "lista: Grupo de Ocorrência -> vazia: Não há registros para "
                                "pesquisar.",
                                "lista: Segmento de Mercado -> vazia: Não há registros para "
                                "pesquisar.",
                                "lista: Atendimento -> vazia: Não há registros para pesquisar."));
        return mrNone;
    });
    Register().Show();
}

TEST_F(Filter, SavedOptionsCarryTheSelectionStrings) {
    ui.QueueModal([&](TForm& form) {
        auto& f = dynamic_cast<TfrmFiltroOcorAte&>(form);
        f.rbtGOcorLista->UserClick();
        ui.QueueMarks(std::vector<std::string>{"01"});
        f.btpGOcor->UserClick();
        Dates(f, "01102026", "30112026");
        ui.QueueInput("Qualidade");
        f.btfSaveOpc->UserClick();
        f.selGrupOcor.clear();
        f.rbtGOcorTodos->UserClick();
        ui.QueueChoice("NMOPCAO", Variant("Qualidade"));
        f.btfLoadOpc->UserClick();
        EXPECT_EQ(f.selGrupOcor, "|01|");
        EXPECT_TRUE(f.rbtGOcorLista->Checked());
        EXPECT_TRUE(f.btpGOcor->Enabled());
        f.sbtConfirma->UserClick();
        return mrNone;
    });
    Register().Show();
    EXPECT_THAT(Numbers(), ElementsAre("0001/01", "0002/01"));
}

} // namespace
