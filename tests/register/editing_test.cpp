// Editing checks a scenario cannot reach on their own: the at-post forms of the checks,
// the invoice list of the last lookup, and the guards outside edit and insert.
#include "screen_fixture.h"

#include "core/exceptions.h"
#include "framework/net/net_connection.h"

#include <gmock/gmock.h>

#include <functional>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class Editing : public LoadedScreenTest {
protected:
    void SetUp() override {
        LoadedScreenTest::SetUp();
        TNetConnection::CallObserver = [this](const std::string& m) {
            calls.push_back(m);
        };
    }
    void TearDown() override {
        TNetConnection::CallObserver = nullptr;
        LoadedScreenTest::TearDown();
    }
    void Insert() {
        screen->sbtIncluir->Click();
        ASSERT_EQ(screen->cdsMovOcorr->State(), dsInsert);
        ui.TakeJournal();
        calls.clear();
    }

    std::vector<std::string> calls;
};

// What must be given is asked for only at post; leaving the field lets it go.
TEST_F(Editing, AtPostTheChecksAskForWhatMustBeGiven) {
    struct Case {
        const char* what;
        std::function<void(TfrmParecerOcorrAtend&)> prepare;
        std::function<void(TfrmParecerOcorrAtend&, bool)> check;
        const char* message;
    };
    const Case cases[] = {
        {"branch", [](auto& s) { s.cdsMovOcorr->FieldByName("CDFILIAL").SetAsString(""); },
         [](auto& s, bool post) { s.Vd_Filial(post); }, "Filial deve ser informada."},
        {"group for a type",
         [](auto& s) { s.cdsMovOcorr->FieldByName("CDOCORR").SetAsString("01"); },
         [](auto& s, bool post) { s.Vd_GrupoOcorr(post); },
         "Grupo de ocorrência deve ser informado."},
        {"type for a group",
         [](auto& s) { s.cdsMovOcorr->FieldByName("CDGRPOCOR").SetAsString("01"); },
         [](auto& s, bool post) { s.Vd_TipoOcorr(post); },
         "Tipo de ocorrência deve ser informada."},
        {"counterpart", [](auto&) {}, [](auto& s, bool post) { s.Vd_CliFor(post); },
         "Cliente/Forneced/Prosp deve ser informado."},
        {"invoice for a series", [](auto& s) { s.dbeSerie->UserType("1"); },
         [](auto& s, bool post) { s.Vd_NotaFiscal(post); }, "Nota fiscal deve ser informada."},
    };
    for (const Case& c : cases) {
        Insert();
        c.prepare(*screen);
        EXPECT_NO_THROW(c.check(*screen, false)) << c.what;
        EXPECT_THAT(Errors(), IsEmpty()) << c.what;
        EXPECT_THROW(c.check(*screen, true), EAbort) << c.what;
        EXPECT_THAT(Errors(), ElementsAre(c.message)) << c.what;
        screen->cdsMovOcorr->Cancel();
    }
}

// At post the counterpart is looked up again only while its edit is still the active
// control: otherwise leaving it already did.
TEST_F(Editing, AtPostTheCounterpartIsLookedUpOnlyFromItsEdit) {
    Insert();
    screen->dbeNrInsc->UserType("99999999999999");
    screen->SetActiveControl(screen->dbeDescSum);
    EXPECT_NO_THROW(screen->Vd_CliFor(true));
    screen->SetActiveControl(screen->dbeNrInsc);
    EXPECT_THROW(screen->Vd_CliFor(true), EAbort);
    EXPECT_THAT(Errors(), ElementsAre("Cliente/Forneced/Prosp não cadastrado."));
}

TEST_F(Editing, TheDateAndThePersonAreCheckedOnTheFormPage) {
    Insert();
    screen->dbdData->UserType("");
    screen->pgcPadrao->SetActivePage(screen->tshFolhaDados);
    EXPECT_THROW(screen->Vd_Data(), EAbort);
    screen->dbdData->UserType("31022024");
    EXPECT_THROW(screen->Vd_Data(), EAbort);
    EXPECT_EQ(screen->ActiveControl(), screen->dbdData);
    screen->dbdData->UserType("20112026");
    EXPECT_NO_THROW(screen->Vd_Data());
    EXPECT_THROW(screen->Vd_RespIden(), EAbort);
    EXPECT_THAT(Errors(),
                ElementsAre("Data deve ser informada.", "'31/02/2024' não é uma data válida.",
                            "Responsável pela identificação deve ser informado."));
    EXPECT_EQ(screen->pgcPadrao->ActivePage(), screen->tshFormulario);
    EXPECT_EQ(screen->ActiveControl(), screen->dbeRespIden);
}

// After an invoice lookup for this supplier and series the list answers, whatever the
// case of the number; the server is not asked.
TEST_F(Editing, TheInvoiceListOfTheLastLookupAnswersWithoutTheServer) {
    Insert();
    screen->cdsNotaFiscal->SetData(screen->netOcorAtend->Call(
        "GetNotaFiscal", {Variant("F000001"), Variant("0001"), Variant("1")}));
    ASSERT_FALSE(screen->cdsNotaFiscal->IsEmpty());
    calls.clear();
    screen->dbeNrInsc->UserType(screen->cdsNotaFiscal->FieldByName("NRINSJURFORN").AsString());
    screen->dbeSerie->UserType("1");
    screen->dbeNotaFiscal->UserType("1235");
    EXPECT_NO_THROW(screen->Vd_NotaFiscal(false));
    EXPECT_EQ(Rec("NRNOTAFISC").AsString(), "0001235");
    screen->dbeNotaFiscal->UserType("7777");
    EXPECT_THROW(screen->Vd_NotaFiscal(false), EAbort);
    EXPECT_THAT(Errors(), ElementsAre("Nº da nota fiscal não cadastrado."));
    EXPECT_THAT(calls, IsEmpty());
    // Another series: the list is not this one's, so the server is asked.
    screen->dbeSerie->UserType("2");
    screen->dbeNotaFiscal->UserType("1235");
    EXPECT_THROW(screen->Vd_NotaFiscal(false), EAbort);
    EXPECT_THAT(calls, ElementsAre("ValidNF"));
}

// Outside edit and insert the guarded checks return at once and touch nothing.
TEST_F(Editing, InBrowseTheGuardedChecksDoNothing) {
    Rec("CDGRPOCOR"); // the first occurrence, in browse
    const std::string group = Rec("CDGRPOCOR").AsString();
    for (const auto& check : std::initializer_list<std::function<void()>>{
             [&] { screen->Vd_Filial(true); }, [&] { screen->Vd_GrupoOcorr(true); },
             [&] { screen->Vd_TipoOcorr(true); }, [&] { screen->Vd_Produto(); },
             [&] { screen->Vd_DestProd(); }, [&] { screen->Vd_NrTarefa(); },
             [&] { screen->Vd_Transportador(); }, [&] { screen->Vd_CliFor(true); },
             [&] { screen->Vd_Data(); }, [&] { screen->Vd_RespIden(); }, [&] { screen->Vd_Hora(); },
             [&] { screen->Vd_Lote("L", true); }, [&] { screen->Vd_Lote("S", true); },
             [&] {
                 screen->Vd_NotaFiscal(true);
             }}) {
        EXPECT_NO_THROW(check());
    }
    EXPECT_EQ(screen->cdsMovOcorr->State(), dsBrowse);
    EXPECT_EQ(Rec("CDGRPOCOR").AsString(), group);
    EXPECT_THAT(calls, IsEmpty());
    EXPECT_THAT(Errors(), IsEmpty());
}

// F9 in the sub-batch edit opens the batch lookup, though its button serves the batch.
TEST_F(Editing, F9InTheSubBatchOpensTheBatchLookup) {
    Insert();
    bool opened = false;
    screen->btpLote->OnClick = [&](TObject*) {
        opened = true;
    };
    screen->dbeSubLote->SetFocus();
    screen->dbeSubLote->UserKeyDown(VK_F9);
    EXPECT_TRUE(opened);
    opened = false;
    screen->dbeSubLote->UserKeyDown(VK_F9 + 1);
    EXPECT_FALSE(opened);
}

// Only a person changing the counterpart in its edit drops the invoice.
TEST_F(Editing, AnInscriptionChangedByCodeKeepsTheInvoice) {
    screen->cdsMovOcorr->Edit();
    ASSERT_EQ(Rec("NRNOTAFISC").AsString(), "0001234");
    Rec("NRINSJUR").SetAsString("60701190000104");
    EXPECT_EQ(Rec("NRNOTAFISC").AsString(), "0001234");
    screen->pgcPadrao->SetActivePage(screen->tshFormulario);
    screen->dbeNrInsc->SetFocus();
    Rec("NRINSJUR").SetAsString("11222333000181");
    EXPECT_TRUE(Rec("NRNOTAFISC").IsNull());
    EXPECT_TRUE(Rec("CDSERIEENTR").IsNull());
}

// A new occurrence takes the server's date: without the server, no blank record is left
// open (no branch, date or operator), and the toolbar offers what a browsing list offers.
TEST_F(Editing, AnInsertWithoutTheServerLeavesNoBlankRecordOpen) {
    const size_t before = screen->cdsMovOcorr->RecordCount();
    front->Stop();
    EXPECT_ANY_THROW(screen->sbtIncluir->Click());
    EXPECT_EQ(screen->cdsMovOcorr->State(), dsBrowse);
    EXPECT_EQ(screen->cdsMovOcorr->RecordCount(), before);
    EXPECT_TRUE(screen->sbtIncluir->Enabled());
    EXPECT_TRUE(screen->sbtAlterar->Enabled());
    EXPECT_FALSE(screen->sbtConfirmar->Enabled());
    EXPECT_FALSE(screen->sbtCancelar->Enabled());
}

} // namespace
