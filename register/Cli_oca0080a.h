#pragma once

#include "framework/controls/date_edit.h"
#include "framework/controls/format_panel.h"
#include "framework/data/client_dataset.h"
#include "framework/data/provider.h"
#include "framework/data/query.h"
#include "framework/forms/form_loader.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/host/frm_padrao.h"
#include "framework/net/net_connection.h"

#include <string>
#include <vector>

/// The occurrence register screen ("OCA00800"): the occurrence record and its data
/// sets, the form page, the description and assessment pages, the catalog and the
/// connection to the server object. Its behaviour is split by concern across the
/// Cli_oca0080a_*.cpp files.
class TfrmParecerOcorrAtend : public TfrmPadrao {
public:
    explicit TfrmParecerOcorrAtend(TComponent* Owner = nullptr);
    ~TfrmParecerOcorrAtend() override;

    static const PublishedTable& Published();

    // -- lifecycle (Cli_oca0080a_lifecycle.cpp)
    void FormCreate(TObject* Sender);
    void netOcorAtendBeforeConnect(TObject* Sender);
    /// The first activation runs the filter; later ones only repaint.
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void sbtFiltrarClick(TObject* Sender);
    void mnuFiltrarClick(TObject* Sender);

    // -- browsing and pages (Cli_oca0080a_browse.cpp)
    void cdsMovOcorrAfterScroll(TDataSet* DataSet);
    void dtsPadraoDataChange(TObject* Sender, TField* Field);
    void pgcPadraoChange(TObject* Sender);
    void mnuFolhaDadosClick(TObject* Sender);
    void mnuFormularioClick(TObject* Sender);
    void mnuDescricaoClick(TObject* Sender);
    void mnuParecerClick(TObject* Sender);

    // -- editing states (Cli_oca0080a_state.cpp)
    void dtsPadraoStateChange(TObject* Sender);
    /// Enables the branch, task and counterpart controls for the state and the module.
    void Verif_FilialAtend();
    /// "C" when "Cliente" is selected, else "F" when "Fornecedor" is, else "P".
    std::string Verifica_Tipo() const;
    /// The maintenance flag as last computed.
    bool Maintenance() const { return maintenance_; }

    // -- display texts (Cli_oca0080a_display.cpp)
    void cdsMovOcorrCalcFields(TDataSet* DataSet);
    void cdsMovOcorrTIPOGetText(TField* Sender, std::string& Text, bool DisplayText);
    void cdsCliForNRINSJURGetText(TField* Sender, std::string& Text, bool DisplayText);
    void cdsCliForIDTPIJURGetText(TField* Sender, std::string& Text, bool DisplayText);
    void qryTransportadorNRINSJURFORNGetText(TField* Sender, std::string& Text, bool DisplayText);
    void qryTransportadorIDTPIJURFORNGetText(TField* Sender, std::string& Text, bool DisplayText);

    TNetConnection* netOcorAtend = nullptr;
    TClientDataSet* cdsMovOcorr = nullptr;
    TClientDataSet* cdsParecer = nullptr;
    TClientDataSet* cdsDescMovOcorr = nullptr;
    TClientDataSet* cdsParamFilial = nullptr;
    TClientDataSet* cdsSysDate = nullptr;
    TClientDataSet* cdsLote = nullptr;
    TClientDataSet* cdsNotaFiscal = nullptr;
    TClientDataSet* cdsPesqNF = nullptr;
    TClientDataSet* cdsCliFor = nullptr;
    TDataSetProvider* dspCliFor = nullptr;
    TADOIBQuery* qryCliFor = nullptr;
    TADOIBQuery* qryProduto = nullptr;
    TField* cdsMovOcorrNROCORRMOV = nullptr;
    TField* cdsMovOcorrNMRAZSOC = nullptr;
    TField* cdsMovOcorrDTFORN = nullptr;
    TField* cdsMovOcorrCDSERIEENTR = nullptr;
    TField* cdsMovOcorrNRNOTAFISC = nullptr;
    TField* cdsCliForIDTPIJUR = nullptr;
    TField* qryTransportadorIDTPIJURFORN = nullptr;
    TDataSource* dtsParecer = nullptr;
    TDataSource* dtsDescMovOcorr = nullptr;
    TTabSheet* tshDescricao = nullptr;
    TTabSheet* tshParecer = nullptr;
    TDBRichEdit* dreDescricao = nullptr;
    TDBRichEdit* dreParecer = nullptr;
    TFormatPanel* fpnDescricao = nullptr;
    TFormatPanel* fpnParecer = nullptr;
    TMenuItem* mnuDescricao = nullptr;
    TMenuItem* mnuParecer = nullptr;
    TMaskEdit* medHora = nullptr;
    TRadioButton* rbtForne = nullptr;
    TRadioButton* rbtCliente = nullptr;
    TRadioButton* rbtProsp = nullptr;
    TDBEdit* dbeNrInsc = nullptr;
    TBtnPesquisa* btpInsc = nullptr;
    TLabel* lblData = nullptr;
    TDBDateEditPlus* dbdData = nullptr;
    TLabel* lblRespIden = nullptr;
    TDBEdit* dbeRespIden = nullptr;
    TLabel* lblDescSum = nullptr;
    TDBEdit* dbeDescSum = nullptr;
    TLabel* lblFilial = nullptr;
    TBtnPesquisa* btnFilial = nullptr;
    TDBEdit* dbeCdFilial = nullptr;
    TDBEdit* dbeNmFilial = nullptr;
    TLabel* lblAtend = nullptr;
    TDBEdit* dbeNRTAREFA = nullptr;
    TBtnPesquisa* btpAtendimento = nullptr;
    TDBEdit* dbeNmAten = nullptr;
    TSpeedButton* sbtFiltrar = nullptr;

protected:
    struct Inherited {};
    TfrmParecerOcorrAtend(TComponent* Owner, Inherited)
        : TfrmPadrao(Owner, TfrmPadrao::Inherited{}) {}

private:
    void RecomputeMaintenance();
    /// Fetches a text of the current occurrence under the progress notice.
    void LoadText(const char* method, const char* catalogKey, TClientDataSet& target);
    /// Shows a page from code and runs the page change, as selecting its tab does.
    void ShowPage(TTabSheet* page);
    /// Runs a data source's state-change event, when it has one.
    static void FireStateChange(TDataSource& source);

    bool firstActivation_ = true;
    bool maintenance_ = false;
    std::string insertOperator_;

    /// The catalog's name of a person kind ("F" natural person ... ), "" for others.
    std::string PersonKindText(const std::string& kind) const;
};

/// The one register screen, while it exists, and whether it was created (exported with
/// C names).
extern "C" {
extern TfrmParecerOcorrAtend* frmParecerOcorrAtend;
extern bool bostCriado;
}

/// The form definitions of the module, as built into the library.
std::vector<FormResource> ModuleFormResources();
