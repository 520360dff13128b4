// Field entry on the form page: a changed code empties what belonged to the old one, a
// field left runs its check, the inscription edits lift their masks while typed into,
// the counterpart buttons switch the invoice controls, and the hour box, bound to no
// field, starts the record's editing itself.
#include "register/Cli_oca0080a.h"

#include "framework/host/consiste.h"

namespace {

bool Empty(const std::string& text) {
    return Consiste::EmptyString(text);
}

} // namespace

void TfrmParecerOcorrAtend::dbeCdFilialChange(TObject*) {
    if (cdsMovOcorr->State() == dsInsert) {
        Rec("NMFILIAL").Clear();
    }
}

void TfrmParecerOcorrAtend::dbeCdFilialExit(TObject*) {
    Vd_Filial(false);
}

void TfrmParecerOcorrAtend::dbeCdGrupOcorrChange(TObject*) {
    if (RecordInEntry()) {
        // A new group invalidates the type and the old description.
        Rec("CDOCORR").SetAsString("");
        Rec("DSGRPOCOR").SetAsString("");
    }
    ShowTypeControls();
}

void TfrmParecerOcorrAtend::ShowTypeControls() {
    const bool group = !Empty(dbeCdGrupOcorr->Text());
    lblTipoOcorr->SetEnabled(group);
    dbeCdTipOcorr->SetEnabled(group);
    btpTipoOcorr->SetEnabled(group);
    dbeCdTipOcorr->SetColor(group ? clInfoBk : clWindow);
}

void TfrmParecerOcorrAtend::dbeCdGrupOcorrExit(TObject*) {
    Vd_GrupoOcorr(false);
}

void TfrmParecerOcorrAtend::dbeCdTipOcorrChange(TObject*) {
    if (RecordInEntry()) {
        Rec("DSOCORR").SetAsString("");
    }
}

void TfrmParecerOcorrAtend::dbeCdTipOcorrExit(TObject*) {
    Vd_TipoOcorr(false);
}

void TfrmParecerOcorrAtend::dbeCdProdutoChange(TObject*) {
    if (RecordInEntry()) {
        Rec("NMPRODUTO").Clear();
    }
}

void TfrmParecerOcorrAtend::dbeCdProdutoExit(TObject*) {
    Vd_Produto();
}

void TfrmParecerOcorrAtend::dbeCdDestProdChange(TObject*) {
    if (RecordInEntry()) {
        Rec("DSDESTPROD").SetAsString("");
    }
}

void TfrmParecerOcorrAtend::dbeCdDestProdExit(TObject*) {
    Vd_DestProd();
}

void TfrmParecerOcorrAtend::dbeCdSegMerChange(TObject*) {
    if (RecordInEntry()) {
        Rec("DSSEGMER").Clear();
    }
}

void TfrmParecerOcorrAtend::dbeCdSegMerExit(TObject*) {
    if (RecordInEntry()) {
        Vd_SegMer();
    }
}

void TfrmParecerOcorrAtend::dbeNRTAREFAChange(TObject*) {
    if (RecordInEntry()) {
        Rec("DSREFETAREFA").Clear();
    }
}

void TfrmParecerOcorrAtend::dbeNRTAREFAExit(TObject*) {
    Vd_NrTarefa();
}

void TfrmParecerOcorrAtend::dbeSerieChange(TObject*) {
    ShowInvoiceRequired();
    if (RecordInEntry()) {
        Rec("NRNOTAFISC").Clear();
    }
}

void TfrmParecerOcorrAtend::dbeSerieExit(TObject*) {
    if (RecordInEntry()) {
        Vd_Serie();
    }
}

void TfrmParecerOcorrAtend::dbeNotaFiscalExit(TObject*) {
    if (RecordInEntry()) {
        Vd_NotaFiscal(false);
    }
}

void TfrmParecerOcorrAtend::dbeLoteChange(TObject*) {
    if (RecordInEntry()) {
        Rec("NRSUBLOTE").Clear();
    }
}

void TfrmParecerOcorrAtend::dbeSubLoteKeyDown(TObject*, std::uint16_t& Key, TShiftState) {
    if (Key == VK_F9) {
        btpLote->Click(); // the batch lookup, though its button belongs to the batch edit
    }
}

// The person types the number free of the mask's punctuation; the check puts the mask of
// the row's person kind back. The change event is kept away while the mask goes, so the
// name already found is not cleared by the rewritten text.
void TfrmParecerOcorrAtend::dbeNrInsTranEnter(TObject*) {
    if (!RecordInEntry()) {
        return;
    }
    const TEventDetached change(dbeNrInsTran->OnChange);
    Rec("NRINSJURTRANS").SetEditMask("");
    dbeNrInsTran->SetMaxLength(20);
}

void TfrmParecerOcorrAtend::dbeNrInsTranChange(TObject*) {
    if (RecordInEntry()) {
        Rec("NMRAZSOCTRANS").Clear();
    }
}

void TfrmParecerOcorrAtend::dbeNrInsTranExit(TObject*) {
    Vd_Transportador();
}

void TfrmParecerOcorrAtend::dbeNrInscEnter(TObject*) {
    if (!RecordInEntry()) {
        return;
    }
    dbeNrInsc->OnChange = nullptr;
    Rec("NRINSJUR").SetEditMask("");
    dbeNrInsc->SetMaxLength(20);
}

void TfrmParecerOcorrAtend::dbeNrInscExit(TObject*) {
    Vd_CliFor(false);
}

// An invoice belongs to one counterpart: a person changing the counterpart drops it.
// Changes made by code while the focus is elsewhere leave it alone.
void TfrmParecerOcorrAtend::cdsMovOcorrNRINSJURChange(TField*) {
    if (RecordInEntry() && ActiveControl() == dbeNrInsc) {
        Rec("CDSERIEENTR").Clear();
        Rec("NRNOTAFISC").Clear();
    }
}

// Customer or prospect: invoices are recorded only for suppliers.
void TfrmParecerOcorrAtend::rbtClienteClick(TObject*) {
    if (cdsMovOcorr->State() == dsInsert) {
        dbeNrInsc->Clear();
        dbeRazSoc->Clear();
    }
    EnableInvoiceControls(false);
}

void TfrmParecerOcorrAtend::rbtForneClick(TObject*) {
    EnableInvoiceControls(true);
}

void TfrmParecerOcorrAtend::ShowInvoiceRequired() {
    // With a series the invoice number becomes required.
    dbeNotaFiscal->SetColor(Empty(dbeSerie->Text()) ? clWindow : clInfoBk);
}

void TfrmParecerOcorrAtend::EnableInvoiceControls(bool enabled) {
    for (TControl* c :
         std::initializer_list<TControl*>{dbeSerie, btpSerie, dbeNotaFiscal, btpNotaFiscal}) {
        c->SetEnabled(enabled);
    }
}

void TfrmParecerOcorrAtend::dbdDataChange(TObject*) {
    if (!maintenance_) {
        return;
    }
    medHora->SetEnabled(!dbdData->IsEmpty());
    if (!medHora->Enabled()) {
        medHora->SetText("00:00");
    }
}

void TfrmParecerOcorrAtend::dbdDataExit(TObject*) {
    dbdData->CheckValidDate();
}

void TfrmParecerOcorrAtend::medHoraKeyDown(TObject*, std::uint16_t& Key, TShiftState) {
    if (Key == VK_DELETE) {
        cdsMovOcorr->Edit(); // a refused edit ends the key here
    }
}

void TfrmParecerOcorrAtend::medHoraKeyPress(TObject*, char&) {
    if (cdsMovOcorr->State() == dsBrowse) {
        cdsMovOcorr->Edit();
    }
}

void TfrmParecerOcorrAtend::medHoraChange(TObject*) {
    if (medHora->EditText() == "  :  ") {
        medHora->SetText("00:00"); // an emptied hour box reads midnight
    }
}

void TfrmParecerOcorrAtend::medHoraExit(TObject*) {
    Vd_Hora();
}
