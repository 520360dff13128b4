#pragma once

#include "framework/data/provider.h"
#include "framework/data/query.h"
#include "framework/forms/form_loader.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/host/frm_filtro_padrao.h"

#include <string>

class TfrmParecerOcorrAtend;

/// The occurrence filter screen ("OCA00801"): five criteria on "Todos" or a list, the
/// period, and the 13 load parameters kept in `qryParams` for every later reload. It works
/// beside the one register screen (the global frmParecerOcorrAtend).
class TfrmFiltroOcorAte : public TfrmFiltroPadrao {
public:
    explicit TfrmFiltroOcorAte(TComponent* Owner = nullptr);
    /// Clears the global only when it still names this screen: a newer one stays.
    ~TfrmFiltroOcorAte() override;

    static const PublishedTable& Published();

    // -- lifecycle (Cli_oca0080b.cpp)
    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // -- criteria and searches (Cli_oca0080b_criteria.cpp)
    void rbtFiliTodosClick(TObject* Sender);
    void rbtFiliListaClick(TObject* Sender);
    void rbtGOcorTodosClick(TObject* Sender);
    void rbtGOcorListaClick(TObject* Sender);
    void rbtSegTodosClick(TObject* Sender);
    void rbtSegListaClick(TObject* Sender);
    void rbtAtendTodosClick(TObject* Sender);
    void rbtAtendListaClick(TObject* Sender);
    void rbtCPFTodosClick(TObject* Sender);
    void rbtCPFListaClick(TObject* Sender);
    void btpFilialClick(TObject* Sender);
    void btpGOcorClick(TObject* Sender);
    void btpSegMercadoClick(TObject* Sender);
    void btpAtendimentoClick(TObject* Sender);
    void btpCPFClick(TObject* Sender);
    void depPerIniExit(TObject* Sender);
    void depPerFinExit(TObject* Sender);
    void qryAtendimentoIDTIPTAREFAGetText(TField* Sender, std::string& Text, bool DisplayText);
    void cdsCpfIDTPCONTATOGetText(TField* Sender, std::string& Text, bool DisplayText);
    void cdsCpfNRINSJURGetText(TField* Sender, std::string& Text, bool DisplayText);

    // -- confirmation and options (Cli_oca0080b_confirm.cpp)
    void sbtConfirmaClick(TObject* Sender);
    void btfSaveOpcClick(TObject* Sender);
    void btfLoadOpcClick(TObject* Sender);

    // The selection strings of the last multi-choice search of each criterion.
    std::string selFilial, selGrupOcor, selSegMercado, selAtendimento, selCPF;

    TRadioButton *rbtFiliTodos = nullptr, *rbtFiliLista = nullptr, *rbtGOcorTodos = nullptr,
                 *rbtGOcorLista = nullptr, *rbtSegTodos = nullptr, *rbtSegLista = nullptr,
                 *rbtAtendTodos = nullptr, *rbtAtendLista = nullptr, *rbtCPFTodos = nullptr,
                 *rbtCPFLista = nullptr;
    TBtnPesquisa *btpFilial = nullptr, *btpGOcor = nullptr, *btpSegMercado = nullptr,
                 *btpAtendimento = nullptr, *btpCPF = nullptr;
    TCheckBox *chkCliente = nullptr, *chkForn = nullptr, *chkProspect = nullptr;
    TDateEditPlus *depPerIni = nullptr, *depPerFin = nullptr;
    TADOIBQuery *qryParams = nullptr, *qryCPF = nullptr;
    TClientDataSet* cdsCpf = nullptr;
    TDataSetProvider* dspCpf = nullptr;
    TDataSource *dtsFilial = nullptr, *dtsGpOcor = nullptr, *dtsSegmento = nullptr,
                *dtsAtendimento = nullptr, *dtsCPF = nullptr;
    TField* cdsCpfIDJUR = nullptr;

    /// Loads the register screen's occurrences and branch parameters with the load
    /// parameters of the last confirmation, under the progress notice (also Verify's).
    void Load();

    /// What the person chose on the screen (its controls and lists), to be given back after
    /// a selection made on their behalf (a month picked on the qualification panel): the
    /// next time they filter, they find their own choices.
    struct Choices {
        TStrings controls;
        std::string filial, grupOcor, segMercado, atendimento, cpf;
    };
    Choices Chosen();
    void Choose(const Choices& choices);

private:
    /// The register screen this one works for; raises when there is none.
    TfrmParecerOcorrAtend& Register() const;
    /// The checks of a confirmation (and of saving options), in order.
    void CheckChoices();
    void SetLoadParameters();
    std::string KindText(const std::string& kind) const;
};

/// The filter screen instance, once created; it lives hidden between showings.
extern "C" {
extern TfrmFiltroOcorAte* frmFiltroOcorAte;
}

/// Creates the filter screen when there is none, then shows it modally. Exported with a C
/// name; no exception leaves it (errors are shown through the application).
extern "C" void CriaFiltroOcorr();

/// The form definitions of the filter screen, as built into the library.
std::vector<FormResource> FilterFormResources();
