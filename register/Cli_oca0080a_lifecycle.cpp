// Creation of the register screen and its connection to the server object.
#include "register/Cli_oca0080a.h"

#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/host/consiste.h"

#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"
#include "framework/ui/ui_driver.h"

void TfrmParecerOcorrAtend::FormCreate(TObject* Sender) {
    TfrmPadrao::FormCreate(Sender);
    // An invalid date is reported at post by the date check, in the catalog's words.
    dbdData->SetCheckedAtPost(true);
    {
        const TProgressNotice notice(nullptr, 0, "");
        netOcorAtend->SetConnected(true);
    }
    cdsMovOcorrNRNOTAFISC->SetEditMask("9999999;0; ");
    cdsMovOcorrCDSERIEENTR->SetEditMask(">ccccc;0; ");
}

void TfrmParecerOcorrAtend::netOcorAtendBeforeConnect(TObject*) {
    UseHostServer(*netOcorAtend);
}

void TfrmParecerOcorrAtend::FormActivate(TObject*) {
    if (!firstActivation_) {
        return;
    }
    // A filter screen of its own, shown modally: its confirm loads the occurrences.
    frmFiltroOcorAte = Application->CreateForm<TfrmFiltroOcorAte>();
    if (preset_) {
        const auto preset = std::move(preset_);
        preset_ = nullptr;
        preset(*frmFiltroOcorAte);
    } else {
        frmFiltroOcorAte->ShowModal();
    }
    if (cdsMovOcorr->Active()) {
        cdsMovOcorr->FieldByName("NRINSJUR")
            .SetEditMask(Consiste::PictPess(cdsMovOcorr->FieldByName("IDTPIJUR").AsString()));
        cdsMovOcorr->FieldByName("NRINSJURTRANS")
            .SetEditMask(Consiste::PictPess(cdsMovOcorr->FieldByName("IDTPIJURTRANS").AsString()));
    }
    qryProduto->FieldByName("CDARVPROD").SetEditMask(Lumbra::DBPict(0));
    cdsMovOcorr->FieldByName("CDARVPROD").SetEditMask(Lumbra::DBPict(0));
    RecomputeMaintenance();
    firstActivation_ = false;
    Verif_FilialAtend();
    pgcPadrao->SetActivePage(tshFolhaDados);
}

// Work not yet sent to the server is lost with the screen: the person says so first.
void TfrmParecerOcorrAtend::FormCloseQuery(TObject*, bool& CanClose) {
    bool pending = false;
    for (TClientDataSet* cds : {cdsMovOcorr, cdsDescMovOcorr, cdsParecer}) {
        pending = pending ||
                  (cds->Active() &&
                   (cds->State() == dsEdit || cds->State() == dsInsert || cds->ChangeCount() > 0));
    }
    if (!pending) {
        return;
    }
    CanClose = Ui().Confirm("Há alterações que não foram confirmadas. Fechar a tela e "
                            "descartar as alterações?");
}

void TfrmParecerOcorrAtend::FormClose(TObject* Sender, TCloseAction& Action) {
    TfrmPadrao::FormClose(Sender, Action);
    bostCriado = false;
}

void TfrmParecerOcorrAtend::sbtFiltrarClick(TObject*) {
    CriaFiltroOcorr();
}

void TfrmParecerOcorrAtend::mnuFiltrarClick(TObject*) {
    sbtFiltrar->Click();
}

bool TfrmParecerOcorrAtend::FilterBy(std::function<void(TfrmFiltroOcorAte&)> preset) {
    if (firstActivation_) {
        preset_ = std::move(preset);
        return true;
    }
    if (cdsMovOcorr->State() != dsBrowse || cdsMovOcorr->ChangeCount() > 0 ||
        cdsDescMovOcorr->ChangeCount() > 0 || cdsParecer->ChangeCount() > 0) {
        Ui().ShowError("Confirme ou cancele as alterações das ocorrências antes de abrir outra "
                       "seleção.");
        return false;
    }
    if (!frmFiltroOcorAte) {
        frmFiltroOcorAte = Application->CreateForm<TfrmFiltroOcorAte>();
    }
    preset(*frmFiltroOcorAte);
    return true;
}

void TfrmParecerOcorrAtend::mnuExportarListaClick(TObject*) {
    ExportGridAsCsv(*dbgPadrao, "ocorrencias.csv");
}
