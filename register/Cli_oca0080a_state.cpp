// The editing states of the occurrence record: the maintenance flag, and the toolbar,
// menus, pages and fields that follow the state.
#include "register/Cli_oca0080a.h"

#include "core/modules.h"
#include "framework/host/host_context.h"

namespace {

// A filter text naming one branch; quotes in the code are doubled so it stays one value.
std::string BranchFilter(const std::string& branch) {
    std::string quoted;
    for (char c : branch) {
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return "CDFILIAL = '" + quoted + "'";
}

} // namespace

void TfrmParecerOcorrAtend::RecomputeMaintenance() {
    std::string branch;
    if (cdsMovOcorr->Active() && !cdsMovOcorr->IsEmpty()) {
        branch = cdsMovOcorr->FieldByName("CDFILIAL").AsString();
    }
    if (branch.empty()) {
        branch = Lumbra::FiliProc();
    }
    cdsParamFilial->SetFiltered(false);
    cdsParamFilial->SetFilter(BranchFilter(branch));
    cdsParamFilial->SetFiltered(true);
    std::string allows;
    if (cdsParamFilial->Active() && !cdsParamFilial->IsEmpty()) {
        allows = cdsParamFilial->FieldByName("IDINCOCORR").AsString();
    }
    maintenance_ = !modules::KeepsOccurrences(Geral::ModuloAtiv()) || allows == "S";
}

std::string TfrmParecerOcorrAtend::Verifica_Tipo() const {
    if (rbtCliente->Checked()) {
        return "C";
    }
    return rbtForne->Checked() ? "F" : "P";
}

void TfrmParecerOcorrAtend::Verif_FilialAtend() {
    const bool inserting = cdsMovOcorr->State() == dsInsert;
    lblFilial->SetEnabled(!Lumbra::ModuFili());
    if (lblFilial->Enabled()) {
        lblFilial->SetEnabled(inserting);
    }
    btnFilial->SetEnabled(lblFilial->Enabled());
    dbeCdFilial->SetEnabled(lblFilial->Enabled());
    lblAtend->SetEnabled(Geral::ModuloAtiv() == modules::kServiceTasks);
    for (TControl* c : std::initializer_list<TControl*>{dbeNRTAREFA, btpAtendimento, dbeNmAten}) {
        c->SetEnabled(lblAtend->Enabled());
    }
    rbtCliente->SetEnabled(inserting);
    for (TControl* c : std::initializer_list<TControl*>{rbtForne, rbtProsp, dbeNrInsc, btpInsc}) {
        c->SetEnabled(rbtCliente->Enabled());
    }
    dbeNmFilial->SetEnabled(false);
}

void TfrmParecerOcorrAtend::SetMaintenanceItems(const std::pair<TMenuItem*, bool> (&items)[7]) {
    const std::pair<TMenuItem*, TSpeedButton*> buttons[] = {
        {mnuIncluir, sbtIncluir},    {mnuAlterar, sbtAlterar},     {mnuExcluir, sbtExcluir},
        {mnuProcurar, sbtProcurar},  {mnuVerificar, sbtVerificar}, {mnuCancelar, sbtCancelar},
        {mnuConfirmar, sbtConfirmar}};
    for (const auto& [item, enabled] : items) {
        item->SetEnabled(enabled);
    }
    for (const auto& [item, button] : buttons) {
        button->SetEnabled(item->Enabled());
    }
}

void TfrmParecerOcorrAtend::dtsPadraoStateChange(TObject*) {
    ShowLoadedCount();
    RecomputeMaintenance();
    for (TControl* c :
         std::initializer_list<TControl*>{dbeNrInsc, btpInsc, lblData, dbdData, medHora,
                                          lblRespIden, dbeRespIden, lblDescSum, dbeDescSum}) {
        c->SetEnabled(maintenance_);
    }
    TTabSheet* shown = pgcPadrao->ActivePage();
    if (shown == tshDescricao || shown == tshParecer) {
        return; // the texts' own state behaviour governs the toolbar there
    }
    const bool active = cdsMovOcorr->Active();
    const bool browse = cdsMovOcorr->State() == dsBrowse;
    const bool empty = !active || cdsMovOcorr->IsEmpty();
    const bool editing = Editing(*cdsMovOcorr);
    const std::pair<TMenuItem*, bool> items[] = {{mnuIncluir, browse && maintenance_},
                                                 {mnuAlterar, browse && !empty},
                                                 {mnuExcluir, browse && !empty && maintenance_},
                                                 {mnuProcurar, browse && !empty},
                                                 {mnuVerificar, browse && !empty},
                                                 {mnuCancelar, editing},
                                                 {mnuConfirmar, editing}};
    SetMaintenanceItems(items);
    dbnPadrao->SetEnabled(browse);
    if (!editing && empty && pgcPadrao->ActivePage() != tshFolhaDados) {
        ShowPage(tshFolhaDados);
    }
    tshFolhaDados->SetEnabled(!editing);
    tshFormulario->SetEnabled(!empty);
    tshDescricao->SetEnabled(!editing && !empty);
    tshParecer->SetEnabled(!editing && !empty);
    if (cdsMovOcorr->State() == dsInsert ||
        (cdsMovOcorr->State() == dsEdit && pgcPadrao->ActivePage() == tshFolhaDados)) {
        ShowPage(tshFormulario);
    }
    mnuFolhaDados->SetEnabled(tshFolhaDados->Enabled());
    mnuFormulario->SetEnabled(tshFormulario->Enabled());
    mnuDescricao->SetEnabled(tshDescricao->Enabled());
    mnuParecer->SetEnabled(tshParecer->Enabled());
    mnuFolhaDados->SetChecked(pgcPadrao->ActivePage() == tshFolhaDados);
    mnuFormulario->SetChecked(pgcPadrao->ActivePage() == tshFormulario);
    mnuDescricao->SetChecked(pgcPadrao->ActivePage() == tshDescricao);
    mnuParecer->SetChecked(pgcPadrao->ActivePage() == tshParecer);
    scbFormulario->SetEnabled(sbtAlterar->Enabled() || editing);
    Verif_FilialAtend();
}
