// The current occurrence's treatment and actions: read, changed on the form page, sent to
// the server as one change. A refusal leaves everything typed as it was.
#include "treatment/Cli_oca0082a.h"

#include "core/text.h"
#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "framework/host/host_dialogs.h"
#include "framework/ui/ui_driver.h"

namespace {

// A refused or failed read leaves the data set empty, with the reason shown.
void Fill(TClientDataSet& cds, Variant answer) {
    if (answer.IsError() || answer.Type() != VarType::Packet) {
        if (answer.IsError()) {
            Ui().ShowError(answer.AsString());
        }
        cds.Close();
        return;
    }
    cds.SetData(std::move(answer));
}

bool Editing(const TDataSet& cds) {
    return cds.Active() && (cds.State() == dsEdit || cds.State() == dsInsert);
}

} // namespace

bool TfrmTratOcorr::Changed() const {
    for (const TClientDataSet* cds : {cdsTratamento, cdsAcoes}) {
        if (cds->Active() && (Editing(*cds) || cds->ChangeCount() > 0)) {
            return true;
        }
    }
    return false;
}

void TfrmTratOcorr::LoadCurrent() {
    if (Changed() &&
        Ui().Confirm("O tratamento mostrado tem alterações não gravadas. Gravá-las agora?") &&
        !Save()) {
        return; // kept as typed, with the reason shown
    }
    for (TClientDataSet* cds : {cdsTratamento, cdsAcoes, cdsDescricao, cdsParecer}) {
        cds->Close();
    }
    if (!cdsTratamentos->Active() || cdsTratamentos->RecordCount() == 0) {
        return;
    }
    const Variant branch(cdsTratamentos->FieldByName("CDFILILANCMO").AsString());
    const Variant number(cdsTratamentos->FieldByName("NROCORRMOV").AsString());
    Fill(*cdsTratamento, netTrat->Call("GetTratamento", {branch, number}));
    Fill(*cdsAcoes, netTrat->Call("GetAcoes", {branch, number}));
    Fill(*cdsDescricao, netTrat->Call("GetDescMovOcorr", {branch, number}));
    Fill(*cdsParecer, netTrat->Call("GetParecer", {branch, number}));
    // The grid names an action's situation; its edit keeps the letter a person types.
    if (TField* situation = cdsAcoes->FindField("IDSITUACAO")) {
        situation->OnGetText = [](TField* f, std::string& text, bool display) {
            text = display ? ActionSituationName(f->AsString()) : f->AsString();
        };
    }
}

bool TfrmTratOcorr::OpenOccurrence(const std::string& branch, const std::string& number) {
    onlyBranch_ = branch;
    onlyNumber_ = number;
    edtFilial->SetText(branch); // the bar says whose list it is
    if (!LoadList()) {
        return false;
    }
    pgcPadrao->SetActivePage(tshFormulario);
    return cdsTratamento->Active();
}

void TfrmTratOcorr::sbtAlterarClick(TObject*) {
    if (!cdsTratamento->Active()) {
        Ui().ShowError("Escolha na lista a ocorrência cujo tratamento vai alterar.");
        return;
    }
    if (!Editing(*cdsTratamento)) {
        cdsTratamento->Edit();
    }
    pgcPadrao->SetActivePage(tshFormulario);
}

bool TfrmTratOcorr::Save() {
    for (TClientDataSet* cds : {cdsTratamento, cdsAcoes}) {
        if (Editing(*cds)) {
            cds->Post();
        }
    }
    const auto delta = [](TClientDataSet* cds) {
        return cds->Active() && cds->ChangeCount() > 0 ? cds->GetDelta() : Variant();
    };
    const Variant answer =
        netTrat->Call("GravaTratamento", {delta(cdsTratamento), delta(cdsAcoes)});
    if (answer.IsError() || answer.AsString() != "") {
        // Nothing was stored: what the person typed stays, to be mended and sent again.
        Ui().ShowError(answer.AsString());
        return false;
    }
    cdsTratamento->MergeChangeLog();
    cdsAcoes->MergeChangeLog();
    return true;
}

void TfrmTratOcorr::sbtConfirmarClick(TObject*) {
    if (!Changed()) {
        return;
    }
    if (!Save()) {
        return;
    }
    // The list and the form show what the server stored: its dates, who closed, versions.
    const std::string branch = cdsTratamentos->FieldByName("CDFILILANCMO").AsString();
    const std::string number = cdsTratamentos->FieldByName("NROCORRMOV").AsString();
    const bool opened = !onlyBranch_.empty();
    if (LoadList() && !opened) {
        cdsTratamentos->Locate("CDFILILANCMO;NROCORRMOV", {Variant(branch), Variant(number)});
    }
    Ui().ShowStatus("Tratamento da ocorrência " + branch + "/" + number + " gravado.");
}

void TfrmTratOcorr::sbtCancelarClick(TObject*) {
    for (TClientDataSet* cds : {cdsTratamento, cdsAcoes}) {
        if (Editing(*cds)) {
            cds->Cancel();
        }
        if (cds->Active()) {
            cds->CancelUpdates();
        }
    }
}

void TfrmTratOcorr::mnuNovaAcaoClick(TObject*) {
    if (!cdsTratamento->Active() || !cdsAcoes->Active()) {
        Ui().ShowError("Escolha na lista a ocorrência da nova ação.");
        return;
    }
    if (Editing(*cdsAcoes)) {
        cdsAcoes->Post();
    }
    cdsAcoes->Append();
    cdsAcoes->FieldByName("CDFILILANCMO")
        .SetAsString(cdsTratamento->FieldByName("CDFILILANCMO").AsString());
    cdsAcoes->FieldByName("NROCORRMOV")
        .SetAsString(cdsTratamento->FieldByName("NROCORRMOV").AsString());
    cdsAcoes->FieldByName("IDTIPO").SetAsString("C");
    cdsAcoes->FieldByName("IDSITUACAO").SetAsString("A");
    pgcPadrao->SetActivePage(tshFormulario);
}

void TfrmTratOcorr::mnuExcluirAcaoClick(TObject*) {
    if (!cdsAcoes->Active() || cdsAcoes->RecordCount() == 0) {
        return;
    }
    if (Ui().Confirm("Excluir a ação \"" + cdsAcoes->FieldByName("DSACAO").AsString() +
                     "\"? Ela sai do tratamento quando você confirmar.")) {
        cdsAcoes->Delete();
    }
}

void TfrmTratOcorr::SetSituation(const std::string& code) {
    if (!cdsTratamento->Active()) {
        Ui().ShowError("Escolha na lista a ocorrência cujo tratamento vai mudar.");
        return;
    }
    if (!Editing(*cdsTratamento)) {
        cdsTratamento->Edit();
    }
    cdsTratamento->FieldByName("IDSITUACAO").SetAsString(code);
    Ui().ShowStatus("Situação: " + TreatmentSituationName(code) + ". Confirme para gravar.");
}

void TfrmTratOcorr::mnuEmAnaliseClick(TObject*) {
    SetSituation("N");
}
void TfrmTratOcorr::mnuEmAcaoClick(TObject*) {
    SetSituation("E");
}
void TfrmTratOcorr::mnuEncerrarClick(TObject*) {
    SetSituation("F");
}
void TfrmTratOcorr::mnuCancelarTratClick(TObject*) {
    SetSituation("C");
}

void TfrmTratOcorr::mnuReabrirClick(TObject*) {
    if (!cdsTratamento->Active()) {
        return;
    }
    const std::string now = cdsTratamento->FieldByName("IDSITUACAO").AsString();
    if (now != "F" && now != "C") {
        Ui().ShowError("O tratamento não está encerrado nem cancelado.");
        return;
    }
    std::string reason;
    if (!Ui().InputQuery("Reabrir o tratamento", "Motivo da reabertura:", reason)) {
        return;
    }
    if (Trim(reason).empty()) {
        Ui().ShowError("Informe o motivo da reabertura.");
        return;
    }
    SetSituation("N");
    cdsTratamento->FieldByName("DSMOTIVOREAB").SetAsString(Trim(reason));
}
