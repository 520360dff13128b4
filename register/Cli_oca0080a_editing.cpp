// Entering and leaving the edit and insert states: the toolbar's insert, alter and
// cancel by page, the branch and operator permissions, and the defaults of a new
// occurrence.
#include "register/Cli_oca0080a.h"

#include "core/exceptions.h"
#include "core/modules.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"

namespace {

void CancelIfEditing(TDataSet& ds) {
    if (TfrmParecerOcorrAtend::Editing(ds)) {
        ds.Cancel();
    }
}

} // namespace

bool TfrmParecerOcorrAtend::RecordInEntry() const {
    return Editing(*cdsMovOcorr);
}

void TfrmParecerOcorrAtend::sbtIncluirClick(TObject* Sender) {
    TTabSheet* shown = pgcPadrao->ActivePage();
    if (shown == tshDescricao) {
        dreDescricao->SetFocus();
        cdsDescMovOcorr->Insert();
        return;
    }
    if (shown == tshParecer) {
        pgcPadrao->SetActivePage(tshParecer);
        dreParecer->SetFocus();
        cdsParecer->Insert();
        return;
    }
    ShowPage(tshFormulario);
    if (!maintenance_) {
        Rec("CDGRPOCOR").FocusControl();
    }
    TfrmPadrao::sbtIncluirClick(Sender);
    if (maintenance_) {
        if (dbeCdFilial->CanFocus()) {
            dbeCdFilial->SetFocus();
        } else {
            rbtForne->SetFocus();
        }
    }
    Rec("NRINSJUR").SetEditMask("");
}

void TfrmParecerOcorrAtend::cdsMovOcorrBeforeInsert(TDataSet*) {
    cdsParamFilial->SetFiltered(false);
    if (!cdsParamFilial->Active()) {
        return;
    }
    const bool found =
        cdsParamFilial->Locate("CDFILIAL", Variant(Lumbra::FiliProc()), loCaseInsensitive);
    if (found && cdsParamFilial->FieldByName("IDINCOCORR").AsString() == "N") {
        Consiste::MensErro(msgPadrao->Msg("INCFILIAL"), true);
    }
}

void TfrmParecerOcorrAtend::cdsMovOcorrAfterInsert(TDataSet*) {
    try {
        WriteNewDefaults();
    } catch (...) {
        // Without the server's date there is no occurrence to type: a blank record with
        // no branch, date or operator would be left open.
        cdsMovOcorr->Cancel();
        dtsPadraoStateChange(nullptr);
        throw;
    }
    if (cdsDescMovOcorr->State() == dsBrowse) {
        cdsDescMovOcorr->Insert(); // a new occurrence starts a new description
    }
    rbtForne->SetChecked(true);
}

void TfrmParecerOcorrAtend::WriteNewDefaults() {
    // The defaults are written with the bound controls quiet; they show once at the end.
    const TControlsQuiet quiet(*cdsMovOcorr);
    cdsSysDate->SetData(Consiste::CheckResultServ(netOcorAtend->Call("GetSysDate"), true, 0));
    const TDateTime now = cdsSysDate->FieldByName("SYSDATE").AsDateTime();
    Rec("DTOCORRMOV").SetAsDateTime(now);
    medHora->SetText(FormatDateTime("hh:nn", now));
    Rec("CDOPERADOR").SetAsString(Lumbra::Operador());
    Rec("NMOPERADOR").SetAsString(Lumbra::NomeOperador());
    Rec("IDTPIJUR").SetAsString("J");
    Rec("CDFILIAL").SetAsString(Lumbra::FiliProc());
    Rec("CDFILILANCMO").SetAsString(Lumbra::FiliProc());
}

void TfrmParecerOcorrAtend::sbtAlterarClick(TObject* Sender) {
    TTabSheet* shown = pgcPadrao->ActivePage();
    if (shown == tshDescricao) {
        dreDescricao->SetFocus();
        if (cdsDescMovOcorr->State() == dsBrowse) {
            cdsDescMovOcorr->Edit();
        }
        return;
    }
    if (shown != tshFolhaDados && shown != tshFormulario) {
        pgcPadrao->SetActivePage(tshParecer);
        dreParecer->SetFocus();
        if (cdsParecer->State() == dsBrowse) {
            cdsParecer->Edit();
        }
        return;
    }
    if (shown == tshFolhaDados) {
        ShowPage(tshFormulario);
    }
    Rec(maintenance_ ? "CDSEGMER" : "CDGRPOCOR").FocusControl();
    TfrmPadrao::sbtAlterarClick(Sender);
}

void TfrmParecerOcorrAtend::cdsMovOcorrBeforeEdit(TDataSet*) {
    if (Geral::ModuloAtiv() != modules::kServiceTasks) {
        return;
    }
    // An operator alters only the occurrences they registered.
    if (Rec("CDOPERADOR").AsString() != Lumbra::Operador()) {
        Consiste::MensErro(msgPadrao->Msg("Per"), true);
    }
}

void TfrmParecerOcorrAtend::sbtCancelarClick(TObject* Sender) {
    TTabSheet* shown = pgcPadrao->ActivePage();
    if (shown == tshDescricao || shown == tshParecer) {
        if (Ui().Confirm(msgMensagensPadroes->Msg("Canc"))) {
            CancelIfEditing(*cdsMovOcorr);
            CancelIfEditing(shown == tshDescricao ? *cdsDescMovOcorr : *cdsParecer);
        }
    } else {
        CancelIfEditing(*cdsDescMovOcorr);
        CancelIfEditing(*cdsParecer);
        TfrmPadrao::sbtCancelarClick(Sender);
    }
    dtsPadraoStateChange(nullptr);
}

void TfrmParecerOcorrAtend::cdsMovOcorrAfterCancel(TDataSet* DataSet) {
    Rec("NRINSJUR").SetEditMask(Consiste::PictPess(Rec("IDTPIJUR").AsString()));
    Rec("NRINSJURTRANS").SetEditMask(Consiste::PictPess(Rec("IDTPIJURTRANS").AsString()));
    medHora->SetText(FormatDateTime("hh:nn", Rec("DTOCORRMOV").AsDateTime()));
    if (pgcPadrao->ActivePage() == tshDescricao) {
        FireStateChange(*dtsDescMovOcorr);
    }
    if (pgcPadrao->ActivePage() == tshParecer) {
        FireStateChange(*dtsParecer);
    }
    cdsMovOcorrAfterScroll(DataSet);
}

void TfrmParecerOcorrAtend::cdsMovOcorrAfterPost(TDataSet*) {
    if (pgcPadrao->ActivePage() == tshDescricao && Editing(*cdsDescMovOcorr)) {
        cdsDescMovOcorr->Post();
    }
    if (pgcPadrao->ActivePage() == tshParecer && Editing(*cdsParecer)) {
        cdsParecer->Post();
    }
}
