// Creation of the register screen and its connection to the server object.
#include "register/Cli_oca0080a.h"

#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"

void TfrmParecerOcorrAtend::FormCreate(TObject* Sender) {
    TfrmPadrao::FormCreate(Sender);
    Showavi::ActiveShowAvi(nullptr, 0, "");
    try {
        netOcorAtend->SetConnected(true);
    } catch (...) {
        Showavi::DeactiveShowAvi();
        throw;
    }
    Showavi::DeactiveShowAvi();
    cdsMovOcorrNRNOTAFISC->SetEditMask("9999999;0; ");
    cdsMovOcorrCDSERIEENTR->SetEditMask(">ccccc;0; ");
}

void TfrmParecerOcorrAtend::netOcorAtendBeforeConnect(TObject*) {
    netOcorAtend->SetHost(Lumbra::WebURL());
    netOcorAtend->SetPort(Lumbra::WebPort());
    netOcorAtend->SetToken(Host().serverToken);
}
