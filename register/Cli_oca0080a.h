#pragma once

#include "framework/data/client_dataset.h"
#include "framework/data/provider.h"
#include "framework/data/query.h"
#include "framework/forms/form_loader.h"
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

    static const PublishedTable& Published();

    // -- lifecycle (Cli_oca0080a_lifecycle.cpp)
    void FormCreate(TObject* Sender);
    void netOcorAtendBeforeConnect(TObject* Sender);

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

protected:
    struct Inherited {};
    TfrmParecerOcorrAtend(TComponent* Owner, Inherited)
        : TfrmPadrao(Owner, TfrmPadrao::Inherited{}) {}

private:
    /// The catalog's name of a person kind ("F" natural person ... ), "" for others.
    std::string PersonKindText(const std::string& kind) const;
};

/// The form definitions of the module, as built into the library.
std::vector<FormResource> ModuleFormResources();
