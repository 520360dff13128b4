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

#include <functional>
#include <string>
#include <vector>

class TfrmFiltroOcorAte;

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
    /// Asks before the screen closes with changes not sent to the server.
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void sbtFiltrarClick(TObject* Sender);
    /// Writes the loaded occurrences, as the list page shows them, to a CSV file the
    /// person names.
    void mnuExportarListaClick(TObject* Sender);
    TMenuItem* mnuExportarLista = nullptr;

    // -- history (Cli_oca0080a_history.cpp)
    /// Shows what was done to an occurrence, newest first: the current one's, or one the
    /// person names by its key (also an occurrence deleted since).
    void mnuHistoricoClick(TObject* Sender);
    TMenuItem* mnuHistorico = nullptr;
    TClientDataSet* cdsHistorico = nullptr;
    TDataSource* dtsHistorico = nullptr;
    /// The current occurrence's treatment, in the treatment module (where it is loaded).
    void mnuTratamentoClick(TObject* Sender);
    /// The occurrence's attached files, in the treatment module's window.
    void mnuAnexosClick(TObject* Sender);
    /// The occurrence's non-conformance report as a PDF, through the treatment module.
    void mnuRelatorioClick(TObject* Sender);
    void CallTreatmentModule(const char* entry, const std::string& purpose);
    TMenuItem* mnuTratamento = nullptr;
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
    /// Whether a data set is in edit or insert.
    static bool Editing(const TDataSet& ds) {
        return ds.State() == dsEdit || ds.State() == dsInsert;
    }
    /// The maintenance flag as last computed.
    bool Maintenance() const { return maintenance_; }

    // -- insert, alter, cancel and the record's events (Cli_oca0080a_editing.cpp)
    void sbtIncluirClick(TObject* Sender);
    void sbtAlterarClick(TObject* Sender);
    void sbtCancelarClick(TObject* Sender);
    void cdsMovOcorrBeforeInsert(TDataSet* DataSet);
    void cdsMovOcorrAfterInsert(TDataSet* DataSet);
    void cdsMovOcorrBeforeEdit(TDataSet* DataSet);
    void cdsMovOcorrAfterCancel(TDataSet* DataSet);
    void cdsMovOcorrAfterPost(TDataSet* DataSet);

    // -- field checks against the company database (Cli_oca0080a_checks.cpp). Each
    // returns when the value passes and otherwise shows its catalog text and raises;
    // `atPost` switches on the tests for a value that must be given.
    void Vd_Filial(bool atPost);
    void Vd_GrupoOcorr(bool atPost);
    void Vd_TipoOcorr(bool atPost);
    void Vd_Produto();
    void Vd_DestProd();
    void Vd_SegMer();
    void Vd_Serie();
    void Vd_NrTarefa();
    void Vd_Transportador();
    void Vd_CliFor(bool atPost);
    void Vd_Data();
    void Vd_RespIden();
    void Vd_Hora();

    // -- batch and invoice checks asked of the server (Cli_oca0080a_batch.cpp)
    /// "L" checks the batch, any other part the sub-batch; `atPost` is not read.
    void Vd_Lote(const std::string& part, bool atPost);
    void Vd_NotaFiscal(bool atPost);
    void dbeLoteExit(TObject* Sender);
    void dbeSubLoteExit(TObject* Sender);

    // -- field entry (Cli_oca0080a_entry.cpp)
    void dbeCdFilialChange(TObject* Sender);
    void dbeCdFilialExit(TObject* Sender);
    void dbeCdGrupOcorrChange(TObject* Sender);
    void dbeCdGrupOcorrExit(TObject* Sender);
    void dbeCdTipOcorrChange(TObject* Sender);
    void dbeCdTipOcorrExit(TObject* Sender);
    void dbeCdProdutoChange(TObject* Sender);
    void dbeCdProdutoExit(TObject* Sender);
    void dbeCdDestProdChange(TObject* Sender);
    void dbeCdDestProdExit(TObject* Sender);
    void dbeCdSegMerChange(TObject* Sender);
    void dbeCdSegMerExit(TObject* Sender);
    void dbeNRTAREFAChange(TObject* Sender);
    void dbeNRTAREFAExit(TObject* Sender);
    void dbeSerieChange(TObject* Sender);
    void dbeSerieExit(TObject* Sender);
    void dbeNotaFiscalExit(TObject* Sender);
    void dbeLoteChange(TObject* Sender);
    void dbeSubLoteKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift);
    void dbeNrInsTranEnter(TObject* Sender);
    void dbeNrInsTranChange(TObject* Sender);
    void dbeNrInsTranExit(TObject* Sender);
    void dbeNrInscEnter(TObject* Sender);
    void dbeNrInscExit(TObject* Sender);
    void cdsMovOcorrNRINSJURChange(TField* Sender);
    void rbtClienteClick(TObject* Sender);
    void rbtForneClick(TObject* Sender);
    void dbdDataChange(TObject* Sender);
    void dbdDataExit(TObject* Sender);
    void medHoraKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift);
    void medHoraKeyPress(TObject* Sender, char& Key);
    void medHoraChange(TObject* Sender);
    void medHoraExit(TObject* Sender);

    // -- confirm, verify, delete (Cli_oca0080a_confirm.cpp)
    void cdsMovOcorrBeforePost(TDataSet* DataSet);
    void sbtConfirmarClick(TObject* Sender);
    void sbtVerificarClick(TObject* Sender);
    void sbtExcluirClick(TObject* Sender);
    /// Each empty field of the current record, in field order, framed by the character
    /// of code 191: the fields the server is to clear.
    std::string EmptyFieldList() const;

    // -- lookups (Cli_oca0080a_lookups.cpp)
    void btpGrupoOcorrBeforePesq(TObject* Sender, bool& Continue);
    void btpGrupoOcorrAfterPesq(TObject* Sender);
    void btpTipoOcorrBeforePesq(TObject* Sender, bool& Continue);
    void btpTipoOcorrAfterPesq(TObject* Sender);
    void btpDestProdBeforePesq(TObject* Sender, bool& Continue);
    void btpDestProdAfterPesq(TObject* Sender);
    void btpProdutoAfterPesq(TObject* Sender);
    void btpSegMercBeforePesq(TObject* Sender, bool& Continue);
    void btpSegMercAfterPesq(TObject* Sender);
    void btpTransportadorBeforePesq(TObject* Sender, bool& Continue);
    void btpTransportadorAfterPesq(TObject* Sender);
    void btpSerieBeforePesq(TObject* Sender, bool& Continue);
    void btpSerieAfterPesq(TObject* Sender);
    void btpNotaFiscalBeforePesq(TObject* Sender, bool& Continue);
    void btpNotaFiscalAfterPesq(TObject* Sender);
    void btpLoteBeforePesq(TObject* Sender, bool& Continue);
    void btpLoteAfterPesq(TObject* Sender);
    void btpAtendimentoBeforePesq(TObject* Sender, bool& Continue);
    void btpAtendimentoAfterPesq(TObject* Sender);
    void btnFilialBeforePesq(TObject* Sender, bool& Continue);
    void btnFilialAfterPesq(TObject* Sender);
    void btpInscClick(TObject* Sender);

    // -- the description and assessment texts (Cli_oca0080a_texts.cpp)
    void cdsParecerBeforePost(TDataSet* DataSet);
    void cdsDescMovOcorrBeforePost(TDataSet* DataSet);
    void cdsParecerAfterPost(TDataSet* DataSet);
    void cdsParecerAfterCancel(TDataSet* DataSet);
    void cdsDescMovOcorrAfterPost(TDataSet* DataSet);
    void dtsParecerStateChange(TObject* Sender);
    void dtsDescMovOcorrStateChange(TObject* Sender);

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
    TDBEdit* dbeRazSoc = nullptr;
    TDBEdit* dbeCdSegMer = nullptr;
    TDBEdit* dbeCdGrupOcorr = nullptr;
    TLabel* lblTipoOcorr = nullptr;
    TDBEdit* dbeCdTipOcorr = nullptr;
    TBtnPesquisa* btpTipoOcorr = nullptr;
    TDBEdit* dbeCdProduto = nullptr;
    TDBEdit* dbeCdDestProd = nullptr;
    TDBEdit* dbeSerie = nullptr;
    TBtnPesquisa* btpSerie = nullptr;
    TDBEdit* dbeNotaFiscal = nullptr;
    TBtnPesquisa* btpNotaFiscal = nullptr;
    TDBEdit* dbeLote = nullptr;
    TBtnPesquisa* btpLote = nullptr;
    TDBEdit* dbeSubLote = nullptr;
    TDBEdit* dbeNrInsTran = nullptr;
    TADOIBQuery* qryFilial = nullptr;
    TADOIBQuery* qryGrupoOcorr = nullptr;
    TADOIBQuery* qryTipoOcorr = nullptr;
    TADOIBQuery* qryVdProduto = nullptr;
    TADOIBQuery* qryDestProd = nullptr;
    TADOIBQuery* qrySegMer = nullptr;
    TADOIBQuery* qrySerie = nullptr;
    TADOIBQuery* qryTransportador = nullptr;
    TADOIBQuery* qryPesqAtend = nullptr;
    TDataSource* dtsProduto = nullptr;
    TDataSource* dtsCliFor = nullptr;
    TBtnPesquisa* btpGrupoOcorr = nullptr;
    TBtnPesquisa* btpDestProd = nullptr;
    TBtnPesquisa* btpProduto = nullptr;
    TBtnPesquisa* btpSegMerc = nullptr;
    TBtnPesquisa* btpTransportador = nullptr;

protected:
    struct Inherited {};
    TfrmParecerOcorrAtend(TComponent* Owner, Inherited)
        : TfrmPadrao(Owner, TfrmPadrao::Inherited{}) {}

private:
    void RecomputeMaintenance();
    void ShowLoadedCount();
    /// Gives each maintenance menu item its state and each toolbar button its item's.
    void SetMaintenanceItems(const std::pair<TMenuItem*, bool> (&items)[7]);
    /// A field of the occurrence record by name.
    TField& Rec(const char* name) const { return cdsMovOcorr->FieldByName(name); }
    /// Whether the record is open for entry (edit or insert).
    bool RecordInEntry() const;
    /// Runs a check; on its failure shows the form page and focuses `field`'s control
    /// before the failure goes on.
    void OnFormPage(TField& field, const std::function<void()>& check);
    /// Runs `fetch` under the progress notice with a catalog text, hidden on failure too.
    void UnderNotice(const char* catalogKey, const std::function<void()>& fetch);
    /// Opens `query` afresh with its parameters as set.
    static void Reopen(TADOIBQuery& query);
    /// GetLote of the branch and product on the screen; the answer fills cdsLote.
    void LoadBatches(const std::string& batch, const std::string& subBatch);
    // Before post: the checks in their order, then the completions of the record.
    void CheckBeforePost();
    void CompleteBeforePost();
    /// Posts what is being edited on the page shown (Confirm's first step).
    void PostPageShown(TObject* Sender);
    /// GetParamFilial of the occurrence's branch, then SetApuraQualif when it asks. Gives
    /// back what went wrong, for a warning (the occurrence is stored by then), or "".
    std::string RequestQualification();
    /// Puts the rows of `fresh` in place of the same branches' rows of cdsParamFilial.
    void MergeBranchParameters(const Variant& packet, TClientDataSet& fresh);
    /// Writes the number the server gave, with the before-post checks detached.
    void WriteNumber(const std::string& number);
    /// Accepts the changes the server stored: the number written back, every log merged.
    void AcceptStored(const std::string& number);
    /// What the person typed into the record and the two texts, as Confirm sends it.
    using TypedWork = std::vector<std::pair<TClientDataSet*, TDataSet::TTypedRecord>>;
    TypedWork KeepTypedWork() const;
    /// After a confirm the server refused (nothing of it stored): every change goes back
    /// to the state it was typed in, with the form page and the focus on the field
    /// `answer` names, so that the person mends it and confirms again, or cancels.
    void GiveBackTypedWork(const TypedWork& typed, const std::string& answer);
    /// The record's field that a server's refusal names, as "(FIELD)", or none.
    TField* FieldNamedIn(const std::string& answer) const;
    /// Masks, hour box and counterpart buttons as the current record has them, without
    /// the buttons' click behaviour (which would clear a record being typed).
    void ShowRecordControls();
    /// The inscription masks and the hour box of the current record.
    void ShowMasksAndHour();
    /// The invoice controls serve suppliers only.
    void EnableInvoiceControls(bool enabled);
    /// The occurrence type is offered once a group is given.
    void ShowTypeControls();
    /// The invoice number is marked required once a series is given.
    void ShowInvoiceRequired();
    /// The server's date and hour, the operator and the branch of a new occurrence.
    void WriteNewDefaults();
    /// Puts the record into edit when it browses (a lookup's choice).
    void EditIfBrowsing();
    /// The state behaviour shared by both text pages.
    void TextStateChange(TDataSource& text, TTabSheet& page, TDBRichEdit& editor,
                         TFormatPanel& tools, bool storesFlag);
    /// Fetches a text of the current occurrence under the progress notice.
    void LoadText(const char* method, const char* catalogKey, TClientDataSet& target);
    /// Shows a page from code and runs the page change, as selecting its tab does.
    void ShowPage(TTabSheet* page);
    /// Runs a data source's state-change event, when it has one.
    static void FireStateChange(TDataSource& source);

    bool firstActivation_ = true;
    std::function<void(TfrmFiltroOcorAte&)> preset_;

public:
    /// Loads the occurrences that `preset` chooses on a filter screen and confirms, as a
    /// person would: at the first activation instead of showing the filter, later at once.
    /// False, with the reason shown, while changes are pending.
    bool FilterBy(std::function<void(TfrmFiltroOcorAte&)> preset);
    bool maintenance_ = false;

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
