#include "register/Cli_oca0080a.h"

extern "C" {
TfrmParecerOcorrAtend* frmParecerOcorrAtend = nullptr;
bool bostCriado = false;
}

TfrmParecerOcorrAtend::TfrmParecerOcorrAtend(TComponent* Owner)
    : TfrmPadrao(Owner, TfrmPadrao::Inherited{}) {
    RegisterBaseScreens();
    InitInheritedComponent(*this, "TfrmParecerOcorrAtend", Published());
}

TfrmParecerOcorrAtend::~TfrmParecerOcorrAtend() {
    if (frmParecerOcorrAtend == this) {
        frmParecerOcorrAtend = nullptr;
    }
}

const PublishedTable& TfrmParecerOcorrAtend::Published() {
    static const PublishedTable table = [] {
        using F = TfrmParecerOcorrAtend;
        PublishedTable t;
        t.Handler("FormCreate", &F::FormCreate);
        t.Handler("netOcorAtendBeforeConnect", &F::netOcorAtendBeforeConnect);
        t.Handler("FormActivate", &F::FormActivate);
        t.Handler("FormClose", &F::FormClose);
        t.Handler("sbtFiltrarClick", &F::sbtFiltrarClick);
        t.Handler("mnuFiltrarClick", &F::mnuFiltrarClick);
        t.Component("sbtFiltrar", &F::sbtFiltrar);
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
        t.Handler("cdsMovOcorrAfterScroll", &F::cdsMovOcorrAfterScroll);
        t.Handler("dtsPadraoDataChange", &F::dtsPadraoDataChange);
        t.Handler("pgcPadraoChange", &F::pgcPadraoChange);
        t.Handler("mnuFolhaDadosClick", &F::mnuFolhaDadosClick);
        t.Handler("mnuFormularioClick", &F::mnuFormularioClick);
        t.Handler("mnuDescricaoClick", &F::mnuDescricaoClick);
        t.Handler("mnuParecerClick", &F::mnuParecerClick);
        t.Handler("dtsPadraoStateChange", &F::dtsPadraoStateChange);
        t.Component("dtsParecer", &F::dtsParecer);
        t.Component("dtsDescMovOcorr", &F::dtsDescMovOcorr);
        t.Component("tshDescricao", &F::tshDescricao);
        t.Component("tshParecer", &F::tshParecer);
        t.Component("dreDescricao", &F::dreDescricao);
        t.Component("dreParecer", &F::dreParecer);
        t.Component("fpnDescricao", &F::fpnDescricao);
        t.Component("fpnParecer", &F::fpnParecer);
        t.Component("mnuDescricao", &F::mnuDescricao);
        t.Component("mnuParecer", &F::mnuParecer);
        t.Component("medHora", &F::medHora);
        t.Component("rbtForne", &F::rbtForne);
        t.Component("rbtCliente", &F::rbtCliente);
        t.Component("rbtProsp", &F::rbtProsp);
        t.Component("dbeNrInsc", &F::dbeNrInsc);
        t.Component("btpInsc", &F::btpInsc);
        t.Component("lblData", &F::lblData);
        t.Component("dbdData", &F::dbdData);
        t.Component("lblRespIden", &F::lblRespIden);
        t.Component("dbeRespIden", &F::dbeRespIden);
        t.Component("lblDescSum", &F::lblDescSum);
        t.Component("dbeDescSum", &F::dbeDescSum);
        t.Component("lblFilial", &F::lblFilial);
        t.Component("btnFilial", &F::btnFilial);
        t.Component("dbeCdFilial", &F::dbeCdFilial);
        t.Component("dbeNmFilial", &F::dbeNmFilial);
        t.Component("lblAtend", &F::lblAtend);
        t.Component("dbeNRTAREFA", &F::dbeNRTAREFA);
        t.Component("btpAtendimento", &F::btpAtendimento);
        t.Component("dbeNmAten", &F::dbeNmAten);
        t.Handler("sbtIncluirClick", &F::sbtIncluirClick);
        t.Handler("sbtAlterarClick", &F::sbtAlterarClick);
        t.Handler("sbtCancelarClick", &F::sbtCancelarClick);
        t.Handler("cdsMovOcorrBeforeInsert", &F::cdsMovOcorrBeforeInsert);
        t.Handler("cdsMovOcorrAfterInsert", &F::cdsMovOcorrAfterInsert);
        t.Handler("cdsMovOcorrBeforeEdit", &F::cdsMovOcorrBeforeEdit);
        t.Handler("cdsMovOcorrAfterCancel", &F::cdsMovOcorrAfterCancel);
        t.Handler("cdsMovOcorrAfterPost", &F::cdsMovOcorrAfterPost);
        t.Handler("dbeLoteExit", &F::dbeLoteExit);
        t.Handler("dbeSubLoteExit", &F::dbeSubLoteExit);
        t.Handler("dbeCdFilialChange", &F::dbeCdFilialChange);
        t.Handler("dbeCdFilialExit", &F::dbeCdFilialExit);
        t.Handler("dbeCdGrupOcorrChange", &F::dbeCdGrupOcorrChange);
        t.Handler("dbeCdGrupOcorrExit", &F::dbeCdGrupOcorrExit);
        t.Handler("dbeCdTipOcorrChange", &F::dbeCdTipOcorrChange);
        t.Handler("dbeCdTipOcorrExit", &F::dbeCdTipOcorrExit);
        t.Handler("dbeCdProdutoChange", &F::dbeCdProdutoChange);
        t.Handler("dbeCdProdutoExit", &F::dbeCdProdutoExit);
        t.Handler("dbeCdDestProdChange", &F::dbeCdDestProdChange);
        t.Handler("dbeCdDestProdExit", &F::dbeCdDestProdExit);
        t.Handler("dbeCdSegMerChange", &F::dbeCdSegMerChange);
        t.Handler("dbeCdSegMerExit", &F::dbeCdSegMerExit);
        t.Handler("dbeNRTAREFAChange", &F::dbeNRTAREFAChange);
        t.Handler("dbeNRTAREFAExit", &F::dbeNRTAREFAExit);
        t.Handler("dbeSerieChange", &F::dbeSerieChange);
        t.Handler("dbeSerieExit", &F::dbeSerieExit);
        t.Handler("dbeNotaFiscalExit", &F::dbeNotaFiscalExit);
        t.Handler("dbeLoteChange", &F::dbeLoteChange);
        t.Handler("dbeSubLoteKeyDown", &F::dbeSubLoteKeyDown);
        t.Handler("dbeNrInsTranEnter", &F::dbeNrInsTranEnter);
        t.Handler("dbeNrInsTranChange", &F::dbeNrInsTranChange);
        t.Handler("dbeNrInsTranExit", &F::dbeNrInsTranExit);
        t.Handler("dbeNrInscEnter", &F::dbeNrInscEnter);
        t.Handler("dbeNrInscExit", &F::dbeNrInscExit);
        t.Handler("cdsMovOcorrNRINSJURChange", &F::cdsMovOcorrNRINSJURChange);
        t.Handler("rbtClienteClick", &F::rbtClienteClick);
        t.Handler("rbtForneClick", &F::rbtForneClick);
        t.Handler("dbdDataChange", &F::dbdDataChange);
        t.Handler("dbdDataExit", &F::dbdDataExit);
        t.Handler("medHoraKeyDown", &F::medHoraKeyDown);
        t.Handler("medHoraKeyPress", &F::medHoraKeyPress);
        t.Handler("medHoraChange", &F::medHoraChange);
        t.Handler("medHoraExit", &F::medHoraExit);
        t.Component("dbeRazSoc", &F::dbeRazSoc);
        t.Component("dbeCdSegMer", &F::dbeCdSegMer);
        t.Component("dbeCdGrupOcorr", &F::dbeCdGrupOcorr);
        t.Component("lblTipoOcorr", &F::lblTipoOcorr);
        t.Component("dbeCdTipOcorr", &F::dbeCdTipOcorr);
        t.Component("btpTipoOcorr", &F::btpTipoOcorr);
        t.Component("dbeCdProduto", &F::dbeCdProduto);
        t.Component("dbeCdDestProd", &F::dbeCdDestProd);
        t.Component("dbeSerie", &F::dbeSerie);
        t.Component("btpSerie", &F::btpSerie);
        t.Component("dbeNotaFiscal", &F::dbeNotaFiscal);
        t.Component("btpNotaFiscal", &F::btpNotaFiscal);
        t.Component("dbeLote", &F::dbeLote);
        t.Component("btpLote", &F::btpLote);
        t.Component("dbeSubLote", &F::dbeSubLote);
        t.Component("dbeNrInsTran", &F::dbeNrInsTran);
        t.Component("qryFilial", &F::qryFilial);
        t.Component("qryGrupoOcorr", &F::qryGrupoOcorr);
        t.Component("qryTipoOcorr", &F::qryTipoOcorr);
        t.Component("qryVdProduto", &F::qryVdProduto);
        t.Component("qryDestProd", &F::qryDestProd);
        t.Component("qrySegMer", &F::qrySegMer);
        t.Component("qrySerie", &F::qrySerie);
        t.Component("qryTransportador", &F::qryTransportador);
        t.Component("qryPesqAtend", &F::qryPesqAtend);
        t.Component("dtsProduto", &F::dtsProduto);
        t.Inherit(TfrmPadrao::Published());
        return t;
    }();
    return table;
}
