#include "filter/Cli_oca0080b.h"

#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "register/Cli_oca0080a.h"

extern "C" {
TfrmFiltroOcorAte* frmFiltroOcorAte = nullptr;
}

TfrmFiltroOcorAte::TfrmFiltroOcorAte(TComponent* Owner)
    : TfrmFiltroPadrao(Owner, TfrmFiltroPadrao::Inherited{}) {
    RegisterBaseScreens();
    InitInheritedComponent(*this, "TfrmFiltroOcorAte", Published());
    AfterLoad();
}

TfrmFiltroOcorAte::~TfrmFiltroOcorAte() {
    if (frmFiltroOcorAte == this) {
        frmFiltroOcorAte = nullptr;
    }
}

const PublishedTable& TfrmFiltroOcorAte::Published() {
    static const PublishedTable table = [] {
        using F = TfrmFiltroOcorAte;
        PublishedTable t;
#define OCA_HANDLER(name) t.Handler(#name, &F::name)
#define OCA_COMPONENT(name) t.Component(#name, &F::name)
        OCA_HANDLER(FormCreate);
        OCA_HANDLER(FormActivate);
        OCA_HANDLER(FormClose);
        OCA_HANDLER(rbtFiliTodosClick);
        OCA_HANDLER(rbtFiliListaClick);
        OCA_HANDLER(rbtGOcorTodosClick);
        OCA_HANDLER(rbtGOcorListaClick);
        OCA_HANDLER(rbtSegTodosClick);
        OCA_HANDLER(rbtSegListaClick);
        OCA_HANDLER(rbtAtendTodosClick);
        OCA_HANDLER(rbtAtendListaClick);
        OCA_HANDLER(rbtCPFTodosClick);
        OCA_HANDLER(rbtCPFListaClick);
        OCA_HANDLER(btpFilialClick);
        OCA_HANDLER(btpGOcorClick);
        OCA_HANDLER(btpSegMercadoClick);
        OCA_HANDLER(btpAtendimentoClick);
        OCA_HANDLER(btpCPFClick);
        OCA_HANDLER(depPerIniExit);
        OCA_HANDLER(depPerFinExit);
        OCA_HANDLER(qryAtendimentoIDTIPTAREFAGetText);
        OCA_HANDLER(cdsCpfIDTPCONTATOGetText);
        OCA_HANDLER(cdsCpfNRINSJURGetText);
        OCA_HANDLER(sbtConfirmaClick);
        OCA_HANDLER(btfSaveOpcClick);
        OCA_HANDLER(btfLoadOpcClick);
        OCA_COMPONENT(rbtFiliTodos);
        OCA_COMPONENT(rbtFiliLista);
        OCA_COMPONENT(rbtGOcorTodos);
        OCA_COMPONENT(rbtGOcorLista);
        OCA_COMPONENT(rbtSegTodos);
        OCA_COMPONENT(rbtSegLista);
        OCA_COMPONENT(rbtAtendTodos);
        OCA_COMPONENT(rbtAtendLista);
        OCA_COMPONENT(rbtCPFTodos);
        OCA_COMPONENT(rbtCPFLista);
        OCA_COMPONENT(btpFilial);
        OCA_COMPONENT(btpGOcor);
        OCA_COMPONENT(btpSegMercado);
        OCA_COMPONENT(btpAtendimento);
        OCA_COMPONENT(btpCPF);
        OCA_COMPONENT(chkCliente);
        OCA_COMPONENT(chkForn);
        OCA_COMPONENT(chkProspect);
        OCA_COMPONENT(depPerIni);
        OCA_COMPONENT(depPerFin);
        OCA_COMPONENT(qryParams);
        OCA_COMPONENT(qryCPF);
        OCA_COMPONENT(cdsCpf);
        OCA_COMPONENT(dspCpf);
        OCA_COMPONENT(dtsFilial);
        OCA_COMPONENT(dtsGpOcor);
        OCA_COMPONENT(dtsSegmento);
        OCA_COMPONENT(dtsAtendimento);
        OCA_COMPONENT(dtsCPF);
        OCA_COMPONENT(cdsCpfIDJUR);
#undef OCA_HANDLER
#undef OCA_COMPONENT
        t.Inherit(TfrmFiltroPadrao::Published());
        return t;
    }();
    return table;
}

TfrmParecerOcorrAtend& TfrmFiltroOcorAte::Register() const {
    if (!frmParecerOcorrAtend) {
        throw Exception("A tela de ocorrências não está aberta.");
    }
    return *frmParecerOcorrAtend;
}

void TfrmFiltroOcorAte::FormCreate(TObject* Sender) {
    TfrmFiltroPadrao::FormCreate(Sender);
    // Enter confirms the filter, as the register's toolbar has its keys.
    SetDefaultButton(sbtConfirma);
    TfrmParecerOcorrAtend& reg = Register();
    reg.cdsSysDate->SetData(
        Consiste::CheckResultServ(reg.netOcorAtend->Call("GetSysDate"), true, 0));
}

void TfrmFiltroOcorAte::FormActivate(TObject*) {
    // Repainting is the renderer's; nothing to do in the model.
}

void TfrmFiltroOcorAte::FormClose(TObject*, TCloseAction& Action) {
    // Hidden, not freed: the choices and load parameters serve the next showing and
    // every reload of the register screen.
    Action = caHide;
    if (frmParecerOcorrAtend) {
        frmParecerOcorrAtend->dtsPadraoStateChange(nullptr);
    }
}

void CriaFiltroOcorr() {
    // Called by the host as well as by the register screen: nothing may escape into C.
    Application->Dispatch([] {
        if (!frmFiltroOcorAte) {
            frmFiltroOcorAte = Application->CreateForm<TfrmFiltroOcorAte>();
        }
        frmFiltroOcorAte->ShowModal();
    });
}
