// Committing the work: the checks before every post of the record, Confirm (the three
// change logs in one call, the number written back, the supplier qualification),
// Verify by page and Delete.
#include "register/Cli_oca0080a.h"

#include "core/empty_fields.h"
#include "core/exceptions.h"
#include "filter/Cli_oca0080b.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"

#include <utility>

namespace {

void PostIfEditing(TDataSet& ds) {
    if (TfrmParecerOcorrAtend::Editing(ds)) {
        ds.Post();
    }
}

Variant DeltaOf(TClientDataSet& cds) {
    return cds.Active() && cds.ChangeCount() > 0 ? cds.GetDelta() : Variant();
}

} // namespace

// -- before post --------------------------------------------------------------------

void TfrmParecerOcorrAtend::CheckBeforePost() {
    Vd_Data();
    Vd_Produto();
    Vd_DestProd();
    Vd_Serie();
    Vd_NotaFiscal(true);
    Vd_SegMer();
    Vd_NrTarefa();
    Vd_Transportador();
    Vd_Lote("L", true);
    Vd_Lote("S", true);
    // The check of the control the person is in comes first.
    const std::function<void()> counterpart = [this] {
        Vd_CliFor(true);
    };
    const std::function<void()> hour = [this] {
        Vd_Hora();
    };
    const std::function<void()> person = [this] {
        Vd_RespIden();
    };
    std::vector<std::function<void()>> order = {counterpart, hour, person};
    if (ActiveControl() == medHora) {
        order = {hour, counterpart, person};
    } else if (ActiveControl() == dbeRespIden) {
        order = {person, counterpart, hour};
    }
    for (const auto& check : order) {
        check();
    }
    Vd_GrupoOcorr(true);
    Vd_TipoOcorr(true);
}

void TfrmParecerOcorrAtend::CompleteBeforePost() {
    LoadBatches("", "");
    const std::string batchUse = cdsLote->Active() && !cdsLote->IsEmpty()
                                     ? cdsLote->FieldByName("IDUTILLOTE").AsString()
                                     : std::string();
    if (batchUse == "N") {
        Rec("NRSUBLOTE").SetAsString(" ");
        Rec("NRLOTEESTQ").SetAsString(" ");
    } else if (batchUse == "S") {
        Rec("NRLOTEESTQ").SetAsString(dbeLote->Text());
        Rec("NRSUBLOTE").SetAsString(dbeSubLote->Text());
    }
    if (!Consiste::EmptyString(dbdData->Text()) && !Consiste::EmptyString(medHora->Text())) {
        Rec("DTOCORRMOV")
            .SetAsDateTime(StrToDateTime(DateToStr(dbdData->GetDate()) + " " + medHora->Text()));
    }
    Variant entry = netOcorAtend->Call(
        "GetPesqNF", {Variant(""), Variant(dbeSerie->Text()), Variant(dbeNotaFiscal->Text()),
                      Variant(Verifica_Tipo() + Rec("CDFORNECED").AsString()),
                      Variant(Rec("CDFILILANCMO").AsString())});
    cdsPesqNF->SetData(Consiste::CheckResultServ(std::move(entry), true, 0));
    const bool found = !cdsPesqNF->IsEmpty();
    Rec("CDFILIALNF").SetAsString(found ? cdsPesqNF->FieldByName("CDFILIAL").AsString() : "");
    Rec("NRLANCTONF").SetAsString(found ? cdsPesqNF->FieldByName("NRLANCTONF").AsString() : "");
    Rec("TIPO").SetAsString(Verifica_Tipo());
}

void TfrmParecerOcorrAtend::cdsMovOcorrBeforePost(TDataSet* DataSet) {
    CheckBeforePost();
    CompleteBeforePost();
    Consiste::Seta_Campo_Null(*DataSet);
}

// -- confirm ------------------------------------------------------------------------

std::string TfrmParecerOcorrAtend::EmptyFieldList() const {
    std::vector<std::string> names;
    for (const TField* field : cdsMovOcorr->FieldList()) {
        if (Consiste::EmptyString(field->AsString())) {
            names.push_back(field->FieldName());
        }
    }
    return EncodeEmptyFields(names);
}

void TfrmParecerOcorrAtend::PostPageShown(TObject* Sender) {
    TTabSheet* shown = pgcPadrao->ActivePage();
    if (shown == tshParecer || shown == tshDescricao) {
        TDataSource* text = shown == tshParecer ? dtsParecer : dtsDescMovOcorr;
        if (text->DataSet() && dtsPadrao->DataSet()) {
            PostIfEditing(*cdsMovOcorr); // its after-post posts the text of the page
            PostIfEditing(*text->DataSet());
        }
        return;
    }
    TfrmPadrao::sbtConfirmarClick(Sender);
}

// A refusal of the server stored nothing: what the person typed comes back for them to
// mend, instead of being thrown away. Once Confirma has stored the change, a later step
// that fails is a warning; the stored occurrence stays on the screen with its number.
void TfrmParecerOcorrAtend::sbtConfirmarClick(TObject* Sender) {
    PostPageShown(Sender);
    const bool recordChanged = cdsMovOcorr->Active() && cdsMovOcorr->ChangeCount() > 0;
    std::vector<Variant> args = {DeltaOf(*cdsMovOcorr), DeltaOf(*cdsParecer),
                                 DeltaOf(*cdsDescMovOcorr),
                                 Variant(recordChanged ? EmptyFieldList() : std::string())};
    if (args[0].IsNull() && args[1].IsNull() && args[2].IsNull()) {
        return; // nothing to send
    }
    const TypedWork typed = KeepTypedWork();
    TProgressNotice notice(nullptr, 1, msgPadrao->Msg("Atua_Ocorr"));
    std::string answer, unqualified;
    try {
        answer = netOcorAtend->Call("Confirma", args).AsString();
        if (recordChanged) {
            unqualified = RequestQualification();
        }
    } catch (...) {
        notice.Hide();
        GiveBackTypedWork(typed, "");
        throw;
    }
    if (answer.size() > static_cast<size_t>(cdsMovOcorrNROCORRMOV->Size())) {
        notice.Hide();
        GiveBackTypedWork(typed, answer);
        Consiste::MensErro(answer, true);
    }
    try {
        AcceptStored(answer);
    } catch (...) {
        // Stored all the same: the logs are merged so that nothing is sent twice.
        notice.Hide();
        for (TClientDataSet* cds : {cdsMovOcorr, cdsParecer, cdsDescMovOcorr}) {
            if (cds->Active()) {
                cds->Cancel();
                cds->MergeChangeLog();
            }
        }
        throw;
    }
    notice.Hide();
    if (!unqualified.empty()) {
        Ui().ShowWarning(unqualified);
    }
}

void TfrmParecerOcorrAtend::AcceptStored(const std::string& number) {
    if (!Consiste::EmptyString(number)) {
        WriteNumber(number);
    }
    for (TClientDataSet* cds : {cdsMovOcorr, cdsParecer, cdsDescMovOcorr}) {
        if (cds->Active()) {
            cds->MergeChangeLog();
        }
    }
}

// The parameters of the occurrence's branch come fresh from the server; they replace
// that branch's row only, so the maintenance flag of the other branches' occurrences
// keeps its ground until the next load.
std::string TfrmParecerOcorrAtend::RequestQualification() {
    const std::string stored = "A ocorrência foi gravada, mas a apuração da qualificação do "
                               "fornecedor não foi pedida";
    try {
        const std::string branch = dbeCdFilial->Text();
        const Variant packet = netOcorAtend->Call("GetParamFilial", {Variant(branch), Variant("")});
        if (packet.IsError()) {
            return stored + ": " + packet.AsString();
        }
        TClientDataSet fresh;
        fresh.SetData(packet);
        MergeBranchParameters(packet, fresh);
        if (fresh.IsEmpty() || fresh.FieldByName("IDAPURAUTQFO").AsString() != "S") {
            return {};
        }
        const Variant when(Rec("DTOCORRMOV").AsDateTime());
        const Variant done = netOcorAtend->Call(
            "SetApuraQualif", {Variant(Lumbra::FiliProc()), Variant(Lumbra::Operador()),
                               Variant(""), Variant(""), Variant(Rec("CDFILIAL").AsString()),
                               Variant(Rec("CDFORNECED").AsString()), when, when});
        return done.IsError() ? stored + ": " + done.AsString() : std::string();
    } catch (const EAbort&) {
        return stored + "."; // the reason is already on the screen
    } catch (const Exception& e) {
        return stored + ": " + e.Message();
    }
}

void TfrmParecerOcorrAtend::MergeBranchParameters(const Variant& packet, TClientDataSet& fresh) {
    if (!cdsParamFilial->Active()) {
        cdsParamFilial->SetData(packet);
        return;
    }
    for (fresh.First(); !fresh.Eof(); fresh.Next()) {
        const std::string branch = fresh.FieldByName("CDFILIAL").AsString();
        cdsParamFilial->SetFiltered(false);
        if (cdsParamFilial->Locate("CDFILIAL", Variant(branch))) {
            cdsParamFilial->Edit();
        } else {
            cdsParamFilial->Append();
        }
        for (TField* field : fresh.FieldList()) {
            if (TField* own = cdsParamFilial->FindField(field->FieldName())) {
                own->SetValue(field->Value());
            }
        }
        cdsParamFilial->Post();
    }
    cdsParamFilial->MergeChangeLog();
}

void TfrmParecerOcorrAtend::WriteNumber(const std::string& number) {
    // The number is the server's: no check runs for this post.
    const TEventDetached checks(cdsMovOcorr->BeforePost);
    cdsMovOcorr->Edit();
    cdsMovOcorrNROCORRMOV->SetAsString(number);
    cdsMovOcorr->Post();
}

// -- verify and delete --------------------------------------------------------------

void TfrmParecerOcorrAtend::sbtVerificarClick(TObject*) {
    TTabSheet* shown = pgcPadrao->ActivePage();
    if (shown == tshParecer) {
        LoadText("GetParecer", "Get_Parecer", *cdsParecer);
        return;
    }
    if (shown == tshDescricao) {
        LoadText("GetDescMovOcorr", "Get_Desc", *cdsDescMovOcorr);
        return;
    }
    if (frmFiltroOcorAte) {
        frmFiltroOcorAte->Load(); // the parameters of the last load, kept by the filter
    }
}

void TfrmParecerOcorrAtend::sbtExcluirClick(TObject*) {
    if (msgMensagensPadroes->ShowMsg("Excl", mtConfirmation, mbYes | mbNo, 0) != mrYes) {
        return;
    }
    TProgressNotice notice(this, 1, msgPadrao->Msg("Del_ocorr"));
    try {
        // The occurrence as the person sees it goes along: the server refuses to delete one
        // that another user changed since it was read.
        const Variant answer =
            netOcorAtend->Call("DelOcorr", {Variant(Rec("CDFILILANCMO").AsString()),
                                            Variant(cdsMovOcorrNROCORRMOV->AsString()),
                                            MakePacketVariant(cdsMovOcorr->RecordPacket())});
        // A deletion the server refuses in its answer is shown, and the row stays.
        Consiste::CheckResultServ(answer, true, 0);
        cdsMovOcorr->Delete();
        notice.Hide();
        // Deleting does not change the state, so the toolbar would go on offering
        // Alterar and Excluir on an empty list: the state table runs again.
        dtsPadraoStateChange(nullptr);
        // Merged before the pages of an emptied list are all disabled: the merge
        // announces a data change, whose handler would enable the list page again. A
        // load enables them.
        cdsMovOcorr->MergeChangeLog();
        if (cdsMovOcorr->IsEmpty()) {
            tshFolhaDados->SetEnabled(true);
            pgcPadrao->SetActivePage(tshFolhaDados);
            for (TTabSheet* page : {tshFolhaDados, tshFormulario, tshDescricao, tshParecer}) {
                page->SetEnabled(false);
            }
            if (pgcPadrao->OnChange) {
                pgcPadrao->OnChange(pgcPadrao);
            }
        }
    } catch (...) {
        cdsMovOcorr->CancelUpdates();
        notice.Hide();
        ShowRecordControls();
        dtsPadraoStateChange(nullptr);
        throw;
    }
}
