// Following the current occurrence and the page shown: masks, the hour box, the
// counterpart buttons and the texts fetched from the server when their page shows.
#include "register/Cli_oca0080a.h"

#include "core/modules.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"

#include <utility>

void TfrmParecerOcorrAtend::FireStateChange(TDataSource& source) {
    if (source.OnStateChange) {
        source.OnStateChange(&source);
    }
}

void TfrmParecerOcorrAtend::ShowPage(TTabSheet* page) {
    pgcPadrao->SetActivePage(page);
    if (pgcPadrao->OnChange) {
        pgcPadrao->OnChange(pgcPadrao);
    }
}

void TfrmParecerOcorrAtend::LoadText(const char* method, const char* catalogKey,
                                     TClientDataSet& target) {
    const TProgressNotice notice(this, 6, msgPadrao->Msg(catalogKey));
    Variant result =
        netOcorAtend->Call(method, {Variant(cdsMovOcorr->FieldByName("CDFILILANCMO").AsString()),
                                    Variant(cdsMovOcorrNROCORRMOV->AsString())});
    target.SetData(Consiste::CheckResultServ(std::move(result), true, 0));
}

void TfrmParecerOcorrAtend::ShowMasksAndHour() {
    TField& personKind = cdsMovOcorr->FieldByName("IDTPIJUR");
    if (!personKind.AsString().empty()) {
        cdsMovOcorr->FieldByName("NRINSJUR").SetEditMask(Consiste::PictPess(personKind.AsString()));
    }
    const std::string carrierKind = cdsMovOcorr->FieldByName("IDTPIJURTRANS").AsString();
    cdsMovOcorr->FieldByName("NRINSJURTRANS")
        .SetEditMask(carrierKind.empty() ? std::string() : Consiste::PictPess(carrierKind));
    // An empty date-time reads as 0, so its hour shows as midnight.
    medHora->SetText(FormatDateTime("hh:nn", cdsMovOcorr->FieldByName("DTOCORRMOV").AsDateTime()));
}

void TfrmParecerOcorrAtend::ShowRecordControls() {
    ShowMasksAndHour();
    ShowTypeControls();
    ShowInvoiceRequired();
    const std::string kind = cdsMovOcorr->FieldByName("TIPO").AsString();
    TRadioButton* button = kind == "C"   ? rbtCliente
                           : kind == "F" ? rbtForne
                           : kind == "P" ? rbtProsp
                                         : nullptr;
    if (!button) {
        return;
    }
    const bool loading = Loading();
    SetLoading(true); // the selection alone, without its click behaviour
    button->SetChecked(true);
    SetLoading(loading);
    EnableInvoiceControls(button == rbtForne);
}

void TfrmParecerOcorrAtend::cdsMovOcorrAfterScroll(TDataSet*) {
    ShowMasksAndHour();
    if (pgcPadrao->ActivePage() == tshDescricao) {
        LoadText("GetDescMovOcorr", "Get_Desc", *cdsDescMovOcorr);
    }
    if (pgcPadrao->ActivePage() == tshParecer) {
        LoadText("GetParecer", "Get_Parecer", *cdsParecer);
    }
    const std::string kind = cdsMovOcorr->FieldByName("TIPO").AsString();
    if (kind.empty()) {
        return;
    }
    // Selecting a button runs its click behaviour, as a person's selection would.
    if (kind == "C") {
        rbtCliente->SetChecked(true);
    }
    if (kind == "F") {
        rbtForne->SetChecked(true);
    }
    if (kind == "P") {
        rbtProsp->SetChecked(true);
    }
}

void TfrmParecerOcorrAtend::dtsPadraoDataChange(TObject*, TField* Field) {
    if (!Field) {
        ShowLoadedCount();
    }
    if (!cdsMovOcorr->Active() || !cdsMovOcorr->IsEmpty()) {
        return;
    }
    pgcPadrao->SetActivePage(tshFolhaDados);
    if (cdsMovOcorr->State() == dsBrowse) {
        tshFolhaDados->SetEnabled(true);
        tshFormulario->SetEnabled(false);
        tshDescricao->SetEnabled(false);
        tshParecer->SetEnabled(false);
    }
}

// How many occurrences the person has before them, or how to get some.
void TfrmParecerOcorrAtend::ShowLoadedCount() {
    const size_t count = cdsMovOcorr->Active() ? cdsMovOcorr->RecordCount() : 0;
    if (count == 0) {
        Ui().ShowStatus("Nenhuma ocorrência carregada: use Filtrar (Ctrl+L) para escolher as "
                        "ocorrências.");
        return;
    }
    Ui().ShowStatus(count == 1 ? std::string("1 ocorrência carregada.")
                               : std::to_string(count) + " ocorrências carregadas.");
}

void TfrmParecerOcorrAtend::pgcPadraoChange(TObject* Sender) {
    TfrmPadrao::pgcPadraoChange(Sender);
    const bool textModule = modules::KeepsOccurrences(Geral::ModuloAtiv());
    TTabSheet* shown = pgcPadrao->ActivePage();
    if (shown == tshParecer || shown == tshDescricao) {
        const bool opinion = shown == tshParecer;
        LoadText(opinion ? "GetParecer" : "GetDescMovOcorr", opinion ? "Get_Parecer" : "Get_Desc",
                 opinion ? *cdsParecer : *cdsDescMovOcorr);
        if (!opinion) {
            dreParecer->SetDataSource(nullptr);
        }
        TDBRichEdit* editor = opinion ? dreParecer : dreDescricao;
        editor->SetDataSource(opinion ? dtsParecer : dtsDescMovOcorr);
        editor->SetReadOnly(!textModule);
        Consiste::SetChildEnabled(opinion ? *fpnParecer : *fpnDescricao,
                                  maintenance_ || textModule);
        if (dtsPadrao->State() == dsBrowse) {
            FireStateChange(opinion ? *dtsParecer : *dtsDescMovOcorr);
        }
    } else {
        dreParecer->SetDataSource(nullptr);
        dreDescricao->SetDataSource(nullptr);
        if (dtsPadrao->State() == dsBrowse && !cdsMovOcorr->IsEmpty()) {
            FireStateChange(*dtsPadrao);
        }
        const bool editing = cdsMovOcorr->State() == dsEdit || cdsMovOcorr->State() == dsInsert;
        scbFormulario->SetEnabled(sbtAlterar->Enabled() || editing);
        Verif_FilialAtend();
    }
    mnuFolhaDados->SetChecked(shown == tshFolhaDados);
    mnuFormulario->SetChecked(shown == tshFormulario);
    mnuDescricao->SetChecked(shown == tshDescricao);
    mnuParecer->SetChecked(shown == tshParecer);
}

void TfrmParecerOcorrAtend::mnuFolhaDadosClick(TObject* Sender) {
    TfrmPadrao::mnuFolhaDadosClick(Sender);
    ShowPage(tshFolhaDados);
}

void TfrmParecerOcorrAtend::mnuFormularioClick(TObject* Sender) {
    TfrmPadrao::mnuFormularioClick(Sender);
    ShowPage(tshFormulario);
}

void TfrmParecerOcorrAtend::mnuDescricaoClick(TObject*) {
    ShowPage(tshDescricao);
}

void TfrmParecerOcorrAtend::mnuParecerClick(TObject*) {
    ShowPage(tshParecer);
}
