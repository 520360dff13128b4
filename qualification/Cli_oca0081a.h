#pragma once

#include "framework/controls/chart.h"
#include "framework/data/client_dataset.h"
#include "framework/data/query.h"
#include "framework/forms/form_loader.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/host/frm_padrao.h"
#include "framework/net/net_connection.h"
#include "qualification/qualif_summary.h"

#include <map>
#include <string>
#include <vector>

/// The supplier qualification panel ("OCA00810"): branches, suppliers and a period of
/// months chosen in its filter bar; one row per supplier on the list page (latest score
/// and class in its colour, the change against the month before, the period's counts);
/// the current supplier's score by month over the class bands, and its occurrences, on
/// the chart page. Read only.
class TfrmQualifForn : public TfrmPadrao {
public:
    explicit TfrmQualifForn(TComponent* Owner = nullptr);
    ~TfrmQualifForn() override;

    static const PublishedTable& Published();

    // -- lifecycle and loading (Cli_oca0081a.cpp)
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void netQualifBeforeConnect(TObject* Sender);
    /// Reads the period and the lists, asks the server, fills the list and the chart.
    void sbtVerificarClick(TObject* Sender);
    void rbtFiliTodosClick(TObject* Sender);
    void rbtFiliListaClick(TObject* Sender);
    void rbtFornTodosClick(TObject* Sender);
    void rbtFornListaClick(TObject* Sender);
    void btpFilialClick(TObject* Sender);
    void btpFornecedorClick(TObject* Sender);

    // -- list and chart (Cli_oca0081a_panel.cpp)
    void cdsFornecedoresAfterScroll(TDataSet* DataSet);
    void cdsFornecedoresVRNOTAGetText(TField* Sender, std::string& Text, bool DisplayText);
    /// A month picked on the chart: its occurrences in the occurrence register.
    void chtQualifSelect(TObject* Sender);

    // -- exports (Cli_oca0081a_export.cpp)
    void mnuExportarListaClick(TObject* Sender);
    void mnuExportarGraficoClick(TObject* Sender);

    /// Loads the panel for months `first` to `last` (202611); false, with the reason
    /// shown, when the server refuses.
    bool Load(int first, int last);
    const std::vector<qualif::Month>& Months() const { return months_; }

    std::string selFilial, selFornecedor;
    TPanel* panFiltro = nullptr;
    TRadioButton *rbtFiliTodos = nullptr, *rbtFiliLista = nullptr, *rbtFornTodos = nullptr,
                 *rbtFornLista = nullptr;
    TBtnPesquisa *btpFilial = nullptr, *btpFornecedor = nullptr;
    TMaskEdit *medMesIni = nullptr, *medMesFin = nullptr;
    TChart* chtQualif = nullptr;
    TMenuItem *mnuExportarLista = nullptr, *mnuExportarGrafico = nullptr;
    TNetConnection* netQualif = nullptr;
    TClientDataSet* cdsFornecedores = nullptr;
    TADOIBQuery *qryFilial = nullptr, *qryFornecedor = nullptr;
    TDataSource *dtsFilial = nullptr, *dtsFornecedor = nullptr;

    /// Opens the occurrence register on `supplier`'s occurrences of `yearMonth`, through
    /// the occurrence module's filter (false, with the reason shown, without that module).
    bool OpenOccurrencesOf(const std::string& supplier, int yearMonth);

private:
    void FillList();
    /// Each supplier's treatments under way and overdue actions, by code; empty, and
    /// followKnown_ false, where the server does not say.
    std::map<std::string, std::pair<Variant, Variant>> FollowUp();
    void ShowChart();
    void ColorClasses();

    std::vector<qualif::Month> months_;
    int first_ = 0, last_ = 0;
    bool followKnown_ = false;
    std::map<std::string, std::pair<Variant, Variant>> follow_; ///< of the last load
};

extern "C" {
extern TfrmQualifForn* frmQualifForn;
}

/// The form definitions of the module, as built into the library.
std::vector<FormResource> QualificationFormResources();
