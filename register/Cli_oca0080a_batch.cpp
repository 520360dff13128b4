// The checks the server answers: the stock batch and sub-batch (GetLote) and the
// invoice number (ValidNF, or the list of the last invoice lookup when it belongs to the
// counterpart and series on the screen).
#include "register/Cli_oca0080a.h"

#include "core/exceptions.h"
#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "framework/host/host_dialogs.h"

#include <utility>

void TfrmParecerOcorrAtend::UnderNotice(const char* catalogKey,
                                        const std::function<void()>& fetch) {
    const TProgressNotice notice(this, 6, msgPadrao->Msg(catalogKey));
    fetch();
}

void TfrmParecerOcorrAtend::LoadBatches(const std::string& batch, const std::string& subBatch) {
    Variant answer = netOcorAtend->Call("GetLote", {Variant(dbeCdFilial->Text()),
                                                    Variant(Rec("CDPRODUTO").AsString()),
                                                    Variant(batch), Variant(subBatch)});
    cdsLote->SetData(Consiste::CheckResultServ(std::move(answer), true, 0));
}

// Batches are tested for a text of length zero: a batch of blanks is a batch, and the
// server is asked about it.
void TfrmParecerOcorrAtend::Vd_Lote(const std::string& part, bool) {
    if (!RecordInEntry()) {
        return;
    }
    TField& batch = Rec("NRLOTEESTQ");
    if (part == "L") {
        if (batch.AsString().empty()) {
            return;
        }
        UnderNotice("Get_Val_Lote", [&] { LoadBatches(batch.AsString(), ""); });
        if (cdsLote->IsEmpty()) {
            batch.FocusControl();
            Consiste::MensErro(msgPadrao->Msg("Lote_NCad"), true);
        }
        return;
    }
    TField& subBatch = Rec("NRSUBLOTE");
    if (subBatch.AsString().empty()) {
        return;
    }
    if (batch.AsString().empty()) {
        batch.FocusControl();
        Consiste::MensErro(msgPadrao->Msg("Lote_Inf"), true);
    }
    {
        TCursorGuard wait(crHourGlass);
        LoadBatches(batch.AsString(), subBatch.AsString());
    }
    if (cdsLote->IsEmpty()) {
        subBatch.FocusControl();
        Consiste::MensErro(msgPadrao->Msg("SubLote_NCad"), true);
    }
}

void TfrmParecerOcorrAtend::dbeLoteExit(TObject*) {
    if (!RecordInEntry()) {
        return;
    }
    LoadBatches("", "");
    if (dbeLote->Text().empty()) {
        return;
    }
    if (cdsLote->FieldByName("IDUTILLOTE").AsString() == "N") {
        Rec("NRLOTEESTQ").FocusControl();
        Consiste::MensErro(msgPadrao->Msg("Lote_NCad"), true);
    }
    Vd_Lote("L", false);
}

void TfrmParecerOcorrAtend::dbeSubLoteExit(TObject*) {
    if (!RecordInEntry()) {
        return;
    }
    LoadBatches("", "");
    if (dbeSubLote->Text().empty()) {
        return;
    }
    if (cdsLote->FieldByName("IDUTILLOTE").AsString() == "N") {
        const bool noBatch = dbeLote->Text().empty();
        Rec(noBatch ? "NRLOTEESTQ" : "NRSUBLOTE").FocusControl();
        Consiste::MensErro(msgPadrao->Msg(noBatch ? "Lote_Inf" : "Lote_NCad"), true);
    }
    Vd_Lote("S", false);
}

void TfrmParecerOcorrAtend::Vd_NotaFiscal(bool atPost) {
    const bool empty = Consiste::EmptyString(dbeNotaFiscal->Text());
    if (RecordInEntry()) {
        Rec("NRNOTAFISC").SetAsString(Consiste::Ajusta(dbeNotaFiscal->Text(), 7));
        if (empty && atPost && !Consiste::EmptyString(dbeSerie->Text())) {
            dbeNotaFiscal->SetFocus();
            Consiste::MensErro(msgPadrao->Msg("NF_NI"), true);
        }
    }
    if (!RecordInEntry() || empty) {
        return;
    }
    try {
        // The list of the last invoice lookup serves when it is this counterpart's and
        // series': no need to ask the server.
        const bool localList =
            cdsNotaFiscal->Active() && !cdsNotaFiscal->IsEmpty() &&
            cdsNotaFiscal->FieldByName("NRINSJURFORN").AsString() == dbeNrInsc->Text() &&
            cdsNotaFiscal->FieldByName("CDSERIEENTR").AsString() == dbeSerie->Text();
        if (localList) {
            if (!cdsNotaFiscal->Locate("NRNOTAFISC", {Rec("NRNOTAFISC").Value()},
                                       loCaseInsensitive)) {
                Consiste::MensErro(msgPadrao->Msg("Err_NF"), true);
            }
            return;
        }
        std::string answer;
        UnderNotice("ValidNF", [&] {
            answer = netOcorAtend
                         ->Call("ValidNF",
                                {Variant(dbeSerie->Text()), Variant(Rec("NRNOTAFISC").AsString()),
                                 Variant(Rec("CDFORNECED").AsString())})
                         .AsString();
        });
        if (answer == "FALSE") {
            Consiste::MensErro(msgPadrao->Msg("Err_NF"), true);
        }
        if (answer != "TRUE") {
            Consiste::MensErro(answer, true);
        }
    } catch (...) {
        dbeNotaFiscal->SetFocus(); // the notice is already hidden
        throw;
    }
}
