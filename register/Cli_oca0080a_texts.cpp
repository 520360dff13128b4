// The description and assessment texts: a text row takes the key of the occurrence
// current when it is posted, and while its page is shown the text's state drives the
// toolbar, the menus and the pages.
#include "register/Cli_oca0080a.h"

#include "core/modules.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"

void TfrmParecerOcorrAtend::cdsParecerBeforePost(TDataSet* DataSet) {
    DataSet->FieldByName("CDFILILANCMO").SetAsString(Rec("CDFILILANCMO").AsString());
    DataSet->FieldByName("NROCORRMOV").SetAsString(cdsMovOcorrNROCORRMOV->AsString());
    Consiste::Seta_Campo_Null(*DataSet);
}

void TfrmParecerOcorrAtend::cdsDescMovOcorrBeforePost(TDataSet* DataSet) {
    DataSet->FieldByName("CDFILILANCMO").SetAsString(Rec("CDFILILANCMO").AsString());
    DataSet->FieldByName("NROCORRMOV").SetAsString(cdsMovOcorrNROCORRMOV->AsString());
    // An editor that shows nothing must not keep its formatting as the description.
    if (Consiste::EmptyString(dreDescricao->PlainText())) {
        DataSet->FieldByName("DSMOVOCORR").SetAsString("");
    }
    Consiste::Seta_Campo_Null(*DataSet);
}

void TfrmParecerOcorrAtend::cdsParecerAfterPost(TDataSet*) {
    if (pgcPadrao->ActivePage() != tshParecer) {
        FireStateChange(*dtsPadrao);
    }
}

void TfrmParecerOcorrAtend::cdsParecerAfterCancel(TDataSet* DataSet) {
    cdsParecerAfterPost(DataSet);
}

void TfrmParecerOcorrAtend::cdsDescMovOcorrAfterPost(TDataSet*) {
    if (pgcPadrao->ActivePage() != tshDescricao) {
        FireStateChange(*dtsPadrao);
    }
}

void TfrmParecerOcorrAtend::dtsParecerStateChange(TObject*) {
    TextStateChange(*dtsParecer, *tshParecer, *dreParecer, *fpnParecer, false);
}

void TfrmParecerOcorrAtend::dtsDescMovOcorrStateChange(TObject*) {
    TextStateChange(*dtsDescMovOcorr, *tshDescricao, *dreDescricao, *fpnDescricao, true);
}

void TfrmParecerOcorrAtend::TextStateChange(TDataSource& text, TTabSheet& page, TDBRichEdit& editor,
                                            TFormatPanel& tools, bool storesFlag) {
    const bool previous = maintenance_;
    RecomputeMaintenance();
    const bool rule = maintenance_;
    if (!storesFlag) {
        maintenance_ = previous; // only the description's behaviour keeps the result
    }
    for (TControl* c :
         std::initializer_list<TControl*>{dbeNrInsc, btpInsc, lblData, dbdData, medHora,
                                          lblRespIden, dbeRespIden, lblDescSum, dbeDescSum}) {
        c->SetEnabled(rule);
    }
    const bool textModule = modules::KeepsOccurrences(Geral::ModuloAtiv());
    editor.SetReadOnly(!textModule);
    Consiste::SetChildEnabled(tools, maintenance_ || textModule);
    if (pgcPadrao->ActivePage() != &page) {
        return;
    }
    TDataSet* ds = text.DataSet();
    const bool textEditing = ds && Editing(*ds);
    const bool textBrowse = text.State() == dsBrowse;
    const bool textEmpty = !ds || !ds->Active() || ds->IsEmpty();
    const bool recordEditing = Editing(*cdsMovOcorr);
    const bool recordBrowse = cdsMovOcorr->State() == dsBrowse;
    const bool occurrences = cdsMovOcorr->Active() && !cdsMovOcorr->IsEmpty();
    const bool description = &page == tshDescricao;
    const std::pair<TMenuItem*, bool> items[] = {
        {mnuIncluir, textEmpty && !(description && (textEditing || recordEditing))},
        {mnuAlterar, textBrowse && !textEmpty && textModule},
        {mnuExcluir, false},
        {mnuProcurar, textBrowse && recordBrowse && occurrences},
        {mnuVerificar, textBrowse && recordBrowse && occurrences},
        {mnuCancelar, textEditing || recordEditing},
        {mnuConfirmar, textEditing || recordEditing}};
    SetMaintenanceItems(items);
    dbnPadrao->SetEnabled(textBrowse);
    tshFolhaDados->SetEnabled(!textEditing);
    tshFormulario->SetEnabled(!textEditing && (description || occurrences));
    TTabSheet* other = description ? tshParecer : tshDescricao;
    other->SetEnabled(description ? !textEditing : !textEditing && occurrences);
    mnuFolhaDados->SetEnabled(tshFolhaDados->Enabled());
    mnuFormulario->SetEnabled(tshFormulario->Enabled());
    mnuDescricao->SetEnabled(tshDescricao->Enabled());
    mnuParecer->SetEnabled(tshParecer->Enabled());
    mnuFolhaDados->SetChecked(false);
    mnuFormulario->SetChecked(false);
    mnuDescricao->SetChecked(description);
    mnuParecer->SetChecked(!description);
}
