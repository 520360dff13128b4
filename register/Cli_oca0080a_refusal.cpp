// A confirm the server refused stored nothing: what the person typed into the record and
// its texts goes back into the state it was typed in, so that they mend the value the
// answer names and confirm again, or cancel to the last accepted state.
#include "register/Cli_oca0080a.h"

namespace {

// The state a data set's typed work was in when Confirm sent it: still being typed, or
// posted into its log as an insert or a modification.
TDataSetState TypedState(TClientDataSet& cds) {
    if (TfrmParecerOcorrAtend::Editing(cds)) {
        return cds.State();
    }
    if (cds.ChangeCount() == 0) {
        return dsBrowse;
    }
    switch (cds.UpdateStatus()) {
    case usInserted:
        return dsInsert;
    case usModified:
        return dsEdit;
    default:
        return dsBrowse; // a delete is not typed work to give back
    }
}

// While the typed values come back, no control's change behaviour may run: it would clear
// what depends on a code (the type after the group, the invoice after the inscription).
class QuietForm {
public:
    explicit QuietForm(TComponent& form) : form_(form) { form_.SetLoading(true); }
    ~QuietForm() { form_.SetLoading(false); }
    QuietForm(const QuietForm&) = delete;
    QuietForm& operator=(const QuietForm&) = delete;

private:
    TComponent& form_;
};

} // namespace

TfrmParecerOcorrAtend::TypedWork TfrmParecerOcorrAtend::KeepTypedWork() const {
    TypedWork typed;
    for (TClientDataSet* cds : {cdsMovOcorr, cdsParecer, cdsDescMovOcorr}) {
        if (!cds->Active()) {
            continue;
        }
        const TDataSetState state = TypedState(*cds);
        if (state == dsInsert || state == dsEdit) {
            typed.emplace_back(cds, cds->TypedRecord(state));
        }
    }
    return typed;
}

void TfrmParecerOcorrAtend::GiveBackTypedWork(const TypedWork& typed, const std::string& answer) {
    {
        // The last accepted state shows only on the way back to what was typed: the
        // controls' change behaviour would act on it as on a person's change.
        const QuietForm quiet(*this);
        for (TClientDataSet* cds : {cdsMovOcorr, cdsParecer, cdsDescMovOcorr}) {
            if (cds->Active()) {
                cds->CancelUpdates();
            }
        }
        for (const auto& [cds, record] : typed) {
            cds->ResumeTyping(record, "CDFILILANCMO;NROCORRMOV");
        }
    }
    ShowRecordControls();
    TTabSheet* shown = pgcPadrao->ActivePage();
    TField* named = FieldNamedIn(answer);
    if (named && Editing(*cdsMovOcorr) && shown != tshFormulario) {
        ShowPage(tshFormulario);
        shown = tshFormulario;
    }
    if (shown == tshDescricao || shown == tshParecer) {
        FireStateChange(shown == tshDescricao ? *dtsDescMovOcorr : *dtsParecer);
    } else {
        dtsPadraoStateChange(nullptr);
    }
    if (named && Editing(*cdsMovOcorr)) {
        named->FocusControl();
    }
}

TField* TfrmParecerOcorrAtend::FieldNamedIn(const std::string& answer) const {
    for (TField* field : cdsMovOcorr->FieldList()) {
        const std::string& name = field->FieldName();
        if (answer.find("(" + name + ")") != std::string::npos ||
            answer.find(" " + name + ")") != std::string::npos) {
            return field;
        }
    }
    return nullptr;
}
