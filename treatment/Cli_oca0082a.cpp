// The treatment screen's creation, its connection to the server object, the filter bar
// and the list.
#include "treatment/Cli_oca0082a.h"

#include "core/text.h"
#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"
#include "framework/ui/ui_driver.h"

extern "C" {
TfrmTratOcorr* frmTratOcorr = nullptr;
}

namespace {

// Overdue rows: a light red the text stays readable on (0xBBGGRR).
constexpr auto kOverdue = static_cast<TColor>(0xB4B4F8);

} // namespace

TfrmTratOcorr::TfrmTratOcorr(TComponent* Owner) : TfrmPadrao(Owner, TfrmPadrao::Inherited{}) {
    RegisterBaseScreens();
    InitInheritedComponent(*this, "TfrmTratOcorr", Published());
}

TfrmTratOcorr::~TfrmTratOcorr() {
    if (frmTratOcorr == this) {
        frmTratOcorr = nullptr;
    }
}

const PublishedTable& TfrmTratOcorr::Published() {
    static const PublishedTable table = [] {
        using F = TfrmTratOcorr;
        PublishedTable t;
#define OCA_HANDLER(name) t.Handler(#name, &F::name)
#define OCA_COMPONENT(name) t.Component(#name, &F::name)
        OCA_HANDLER(FormCreate);
        OCA_HANDLER(FormClose);
        OCA_HANDLER(netTratBeforeConnect);
        OCA_HANDLER(sbtVerificarClick);
        OCA_HANDLER(cdsTratamentosAfterScroll);
        OCA_HANDLER(sbtAlterarClick);
        OCA_HANDLER(sbtConfirmarClick);
        OCA_HANDLER(sbtCancelarClick);
        OCA_HANDLER(mnuNovaAcaoClick);
        OCA_HANDLER(mnuExcluirAcaoClick);
        OCA_HANDLER(mnuEmAnaliseClick);
        OCA_HANDLER(mnuEmAcaoClick);
        OCA_HANDLER(mnuEncerrarClick);
        OCA_HANDLER(mnuCancelarTratClick);
        OCA_HANDLER(mnuReabrirClick);
        OCA_HANDLER(mnuAnexosClick);
        OCA_HANDLER(mnuRelatorioClick);
        OCA_COMPONENT(edtFilial);
        OCA_COMPONENT(edtResponsavel);
        OCA_COMPONENT(rbtSitTodas);
        OCA_COMPONENT(rbtSitA);
        OCA_COMPONENT(rbtSitN);
        OCA_COMPONENT(rbtSitE);
        OCA_COMPONENT(rbtSitF);
        OCA_COMPONENT(rbtSitC);
        OCA_COMPONENT(chkVencidas);
        OCA_COMPONENT(depDe);
        OCA_COMPONENT(depAte);
        OCA_COMPONENT(dbgAcoes);
        OCA_COMPONENT(mnuNovaAcao);
        OCA_COMPONENT(mnuExcluirAcao);
        OCA_COMPONENT(mnuEmAnalise);
        OCA_COMPONENT(mnuEmAcao);
        OCA_COMPONENT(mnuEncerrar);
        OCA_COMPONENT(mnuCancelarTrat);
        OCA_COMPONENT(mnuReabrir);
        OCA_COMPONENT(netTrat);
        OCA_COMPONENT(cdsTratamentos);
        OCA_COMPONENT(cdsTratamento);
        OCA_COMPONENT(cdsAcoes);
        OCA_COMPONENT(cdsDescricao);
        OCA_COMPONENT(cdsParecer);
        OCA_COMPONENT(dtsTratamento);
        OCA_COMPONENT(dtsAcoes);
        OCA_COMPONENT(dtsDescricao);
        OCA_COMPONENT(dtsParecer);
#undef OCA_HANDLER
#undef OCA_COMPONENT
        t.Inherit(TfrmPadrao::Published());
        return t;
    }();
    return table;
}

void TfrmTratOcorr::FormCreate(TObject* Sender) {
    TfrmPadrao::FormCreate(Sender);
    netTrat->SetConnected(true);
    ColorOverdue();
    // The situation by its name, in the list and on the form, as soon as the fields exist.
    for (TClientDataSet* cds : {cdsTratamentos, cdsTratamento}) {
        cds->AfterOpen = [this](TDataSet* data) {
            if (TField* situation = data->FindField("IDSITUACAO")) {
                // Shown again, by name, as the controls come back.
                const TControlsQuiet quiet(*data);
                situation->OnGetText = [this](TField* f, std::string& text, bool display) {
                    SituacaoGetText(f, text, display);
                };
            }
        };
    }
    edtFilial->SetText(Host().branch);
    LoadList();
}

void TfrmTratOcorr::FormClose(TObject* Sender, TCloseAction& Action) {
    if (Changed() && !Ui().Confirm("O tratamento tem alterações não gravadas. Fechar assim "
                                   "mesmo e perdê-las?")) {
        Action = caNone;
        return;
    }
    TfrmPadrao::FormClose(Sender, Action);
    Action = caFree;
}

void TfrmTratOcorr::netTratBeforeConnect(TObject*) {
    UseHostServer(*netTrat);
}

void TfrmTratOcorr::ColorOverdue() {
    dbgPadrao->OnRowColor = [this](TDBGrid*, int row, TColor& color) {
        const TField* overdue = cdsTratamentos->FindField("QTACOESVENCIDAS");
        if (overdue && cdsTratamentos->DisplayTextAt(row, *overdue) != "0") {
            color = kOverdue;
        }
    };
}

std::string TfrmTratOcorr::ChosenSituation() const {
    const std::pair<TRadioButton*, const char*> choices[] = {
        {rbtSitA, "A"}, {rbtSitN, "N"}, {rbtSitE, "E"}, {rbtSitF, "F"}, {rbtSitC, "C"}};
    for (const auto& [radio, code] : choices) {
        if (radio->Checked()) {
            return code;
        }
    }
    return "";
}

void TfrmTratOcorr::sbtVerificarClick(TObject*) {
    if (Changed()) {
        if (!Ui().Confirm("O tratamento tem alterações não gravadas. Atualizar a lista e "
                          "perdê-las?")) {
            return;
        }
        sbtCancelarClick(nullptr);
    }
    for (TDateEditPlus* date : {depDe, depAte}) {
        if (!date->IsEmpty() && !date->IsDateValid()) {
            Ui().ShowError("Informe uma data válida, como 01/12/2026, ou deixe em branco.");
            date->SetFocus();
            return;
        }
    }
    if (!depDe->IsEmpty() && !depAte->IsEmpty() && depAte->GetDate() < depDe->GetDate()) {
        Ui().ShowError("A data inicial deve vir antes da final.");
        depDe->SetFocus();
        return;
    }
    onlyBranch_.clear();
    onlyNumber_.clear();
    LoadList();
}

bool TfrmTratOcorr::LoadList() {
    const auto date = [](TDateEditPlus* edit) {
        return edit->IsEmpty() ? Variant() : Variant(edit->GetDate());
    };
    TProgressNotice notice(nullptr, 6, "Carregando os tratamentos...");
    Variant answer = netTrat->Call(
        "GetTratamentos",
        {Variant(onlyBranch_.empty() ? Trim(edtFilial->Text()) : onlyBranch_),
         Variant(onlyBranch_.empty() ? ChosenSituation() : std::string()),
         Variant(onlyBranch_.empty() ? Trim(edtResponsavel->Text()) : std::string()), Variant(""),
         Variant(chkVencidas->Checked() && onlyBranch_.empty() ? "S" : ""),
         onlyBranch_.empty() ? date(depDe) : Variant(),
         onlyBranch_.empty() ? date(depAte) : Variant()});
    notice.Hide();
    if (answer.IsError() || answer.Type() != VarType::Packet) {
        Ui().ShowError(answer.IsError() ? answer.AsString()
                                        : "O servidor não respondeu com os tratamentos.");
        return false;
    }
    if (!onlyBranch_.empty()) {
        // The one occurrence asked for, out of its branch's list.
        DataPacket all = answer.AsPacket();
        DataPacket one;
        one.fields = all.fields;
        for (const Row& row : all.rows) {
            if (row[1].AsString() == onlyNumber_) {
                one.rows.push_back(row);
            }
        }
        answer = MakePacketVariant(std::move(one));
    }
    cdsTratamentos->SetData(std::move(answer));
    if (cdsTratamentos->RecordCount() == 0) {
        LoadCurrent(); // no row to scroll to: the form is emptied
    }
    return true;
}

void TfrmTratOcorr::SituacaoGetText(TField* Sender, std::string& Text, bool) {
    Text = TreatmentSituationName(Sender->AsString());
}

void TfrmTratOcorr::cdsTratamentosAfterScroll(TDataSet*) {
    if (!cdsTratamentos->ControlsDisabled()) {
        LoadCurrent();
    }
}
