#pragma once

#include "core/treatment_names.h"
#include "framework/controls/date_edit.h"
#include "framework/data/client_dataset.h"
#include "framework/forms/form_loader.h"
#include "framework/host/frm_padrao.h"
#include "framework/net/net_connection.h"

#include <string>

/// The treatment of occurrences ("OCA00820"): the list of treatments chosen in its filter
/// bar (branch, situation, responsible, overdue actions only, period), the overdue in red;
/// the current one's treatment and actions on the form page, with the occurrence's
/// description and assessment beside them, read only. The server rules what may be stored.
class TfrmTratOcorr : public TfrmPadrao {
public:
    explicit TfrmTratOcorr(TComponent* Owner = nullptr);
    ~TfrmTratOcorr() override;

    static const PublishedTable& Published();

    // -- lifecycle and the list (Cli_oca0082a.cpp)
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void netTratBeforeConnect(TObject* Sender);
    /// Reads the filter bar and asks the server for the list.
    void sbtVerificarClick(TObject* Sender);
    void cdsTratamentosAfterScroll(TDataSet* DataSet);
    void SituacaoGetText(TField* Sender, std::string& Text, bool DisplayText);

    // -- the treatment and its actions (Cli_oca0082a_form.cpp)
    void sbtAlterarClick(TObject* Sender);
    void sbtConfirmarClick(TObject* Sender);
    void sbtCancelarClick(TObject* Sender);
    void mnuNovaAcaoClick(TObject* Sender);
    void mnuExcluirAcaoClick(TObject* Sender);
    void mnuEmAnaliseClick(TObject* Sender);
    void mnuEmAcaoClick(TObject* Sender);
    void mnuEncerrarClick(TObject* Sender);
    void mnuCancelarTratClick(TObject* Sender);
    void mnuReabrirClick(TObject* Sender);
    /// The current occurrence's attached files, and its report (Anx_oca0082a.cpp).
    void mnuAnexosClick(TObject* Sender);
    void mnuRelatorioClick(TObject* Sender);

    /// Loads the list with the filter bar as it is; false, with the reason shown, when the
    /// server refuses.
    bool LoadList();
    /// Shows the treatment of one occurrence, alone in the list, on the form page.
    bool OpenOccurrence(const std::string& branch, const std::string& number);
    /// Reads the current row's treatment, actions and texts from the server.
    void LoadCurrent();
    /// Sends what changed; true when stored (the screen then shows what was).
    bool Save();
    bool Changed() const;

    TEdit *edtFilial = nullptr, *edtResponsavel = nullptr;
    TRadioButton *rbtSitTodas = nullptr, *rbtSitA = nullptr, *rbtSitN = nullptr, *rbtSitE = nullptr,
                 *rbtSitF = nullptr, *rbtSitC = nullptr;
    TCheckBox* chkVencidas = nullptr;
    TDateEditPlus *depDe = nullptr, *depAte = nullptr;
    TDBGrid* dbgAcoes = nullptr;
    TMenuItem *mnuNovaAcao = nullptr, *mnuExcluirAcao = nullptr, *mnuEmAnalise = nullptr,
              *mnuEmAcao = nullptr, *mnuEncerrar = nullptr, *mnuCancelarTrat = nullptr,
              *mnuReabrir = nullptr;
    TNetConnection* netTrat = nullptr;
    TClientDataSet *cdsTratamentos = nullptr, *cdsTratamento = nullptr, *cdsAcoes = nullptr,
                   *cdsDescricao = nullptr, *cdsParecer = nullptr;
    TDataSource *dtsTratamento = nullptr, *dtsAcoes = nullptr, *dtsDescricao = nullptr,
                *dtsParecer = nullptr;

private:
    void SetSituation(const std::string& code);
    void ColorOverdue();
    std::string ChosenSituation() const;
    std::string onlyBranch_, onlyNumber_; ///< the occurrence opened from the register
};

extern "C" {
extern TfrmTratOcorr* frmTratOcorr;
}

/// The form definitions of the module, as built into the library.
std::vector<FormResource> TreatmentFormResources();
