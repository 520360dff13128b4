#include "register/Cli_oca0080a.h"

TfrmParecerOcorrAtend::TfrmParecerOcorrAtend(TComponent* Owner)
    : TfrmPadrao(Owner, TfrmPadrao::Inherited{}) {
    RegisterBaseScreens();
    InitInheritedComponent(*this, "TfrmParecerOcorrAtend", Published());
}

const PublishedTable& TfrmParecerOcorrAtend::Published() {
    static const PublishedTable table = [] {
        using F = TfrmParecerOcorrAtend;
        PublishedTable t;
        t.Handler("FormCreate", &F::FormCreate);
        t.Handler("netOcorAtendBeforeConnect", &F::netOcorAtendBeforeConnect);
        t.Handler("cdsMovOcorrCalcFields", &F::cdsMovOcorrCalcFields);
        t.Handler("cdsMovOcorrTIPOGetText", &F::cdsMovOcorrTIPOGetText);
        t.Handler("cdsCliForNRINSJURGetText", &F::cdsCliForNRINSJURGetText);
        t.Handler("cdsCliForIDTPIJURGetText", &F::cdsCliForIDTPIJURGetText);
        t.Handler("qryTransportadorNRINSJURFORNGetText", &F::qryTransportadorNRINSJURFORNGetText);
        t.Handler("qryTransportadorIDTPIJURFORNGetText", &F::qryTransportadorIDTPIJURFORNGetText);
        t.Component("netOcorAtend", &F::netOcorAtend);
        t.Component("cdsMovOcorr", &F::cdsMovOcorr);
        t.Component("cdsParecer", &F::cdsParecer);
        t.Component("cdsDescMovOcorr", &F::cdsDescMovOcorr);
        t.Component("cdsParamFilial", &F::cdsParamFilial);
        t.Component("cdsSysDate", &F::cdsSysDate);
        t.Component("cdsLote", &F::cdsLote);
        t.Component("cdsNotaFiscal", &F::cdsNotaFiscal);
        t.Component("cdsPesqNF", &F::cdsPesqNF);
        t.Component("cdsCliFor", &F::cdsCliFor);
        t.Component("dspCliFor", &F::dspCliFor);
        t.Component("qryCliFor", &F::qryCliFor);
        t.Component("qryProduto", &F::qryProduto);
        t.Component("cdsMovOcorrNROCORRMOV", &F::cdsMovOcorrNROCORRMOV);
        t.Component("cdsMovOcorrNMRAZSOC", &F::cdsMovOcorrNMRAZSOC);
        t.Component("cdsMovOcorrDTFORN", &F::cdsMovOcorrDTFORN);
        t.Component("cdsMovOcorrCDSERIEENTR", &F::cdsMovOcorrCDSERIEENTR);
        t.Component("cdsMovOcorrNRNOTAFISC", &F::cdsMovOcorrNRNOTAFISC);
        t.Component("cdsCliForIDTPIJUR", &F::cdsCliForIDTPIJUR);
        t.Component("qryTransportadorIDTPIJURFORN", &F::qryTransportadorIDTPIJURFORN);
        t.Inherit(TfrmPadrao::Published());
        return t;
    }();
    return table;
}
