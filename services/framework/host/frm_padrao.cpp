#include "framework/host/frm_padrao.h"

#include "framework/forms/form_loader.h"
#include "framework/host/host_dialogs.h"
#include "framework/ui/ui_driver.h"

TfrmPadrao::TfrmPadrao(TComponent* Owner) : TForm(Owner) {
    RegisterBaseScreens();
    InitInheritedComponent(*this, "TfrmPadrao", Published());
}

const PublishedTable& TfrmPadrao::Published() {
    static const PublishedTable table = [] {
        using F = TfrmPadrao;
        PublishedTable t;
        t.Handler("FormCreate", &F::FormCreate);
        t.Handler("FormClose", &F::FormClose);
        t.Handler("pgcPadraoChange", &F::pgcPadraoChange);
        t.Handler("mnuFolhaDadosClick", &F::mnuFolhaDadosClick);
        t.Handler("mnuFormularioClick", &F::mnuFormularioClick);
        t.Handler("sbtIncluirClick", &F::sbtIncluirClick);
        t.Handler("sbtAlterarClick", &F::sbtAlterarClick);
        t.Handler("sbtCancelarClick", &F::sbtCancelarClick);
        t.Handler("sbtConfirmarClick", &F::sbtConfirmarClick);
        t.Handler("sbtProcurarClick", &F::sbtProcurarClick);
        t.Handler("sbtFecharClick", &F::sbtFecharClick);
        t.Handler("sbtAjudaClick", &F::sbtAjudaClick);
        t.Handler("mnuIncluirClick", &F::mnuIncluirClick);
        t.Handler("mnuAlterarClick", &F::mnuAlterarClick);
        t.Handler("mnuExcluirClick", &F::mnuExcluirClick);
        t.Handler("mnuProcurarClick", &F::mnuProcurarClick);
        t.Handler("mnuVerificarClick", &F::mnuVerificarClick);
        t.Handler("mnuCancelarClick", &F::mnuCancelarClick);
        t.Handler("mnuConfirmarClick", &F::mnuConfirmarClick);
        t.Component("lblCodTela", &F::lblCodTela);
        t.Component("panMenu", &F::panMenu);
        t.Component("sbtConfirmar", &F::sbtConfirmar);
        t.Component("sbtCancelar", &F::sbtCancelar);
        t.Component("sbtIncluir", &F::sbtIncluir);
        t.Component("sbtAlterar", &F::sbtAlterar);
        t.Component("sbtExcluir", &F::sbtExcluir);
        t.Component("sbtProcurar", &F::sbtProcurar);
        t.Component("sbtVerificar", &F::sbtVerificar);
        t.Component("sbtAjuda", &F::sbtAjuda);
        t.Component("sbtImprimir", &F::sbtImprimir);
        t.Component("sbtFechar", &F::sbtFechar);
        t.Component("panNavigator", &F::panNavigator);
        t.Component("dbtNome", &F::dbtNome);
        t.Component("dbnPadrao", &F::dbnPadrao);
        t.Component("pgcPadrao", &F::pgcPadrao);
        t.Component("tshFolhaDados", &F::tshFolhaDados);
        t.Component("dbgPadrao", &F::dbgPadrao);
        t.Component("tshFormulario", &F::tshFormulario);
        t.Component("scbFormulario", &F::scbFormulario);
        t.Component("mnuPrincipal", &F::mnuPrincipal);
        t.Component("mnuOperacao", &F::mnuOperacao);
        t.Component("mnuFolhaDados", &F::mnuFolhaDados);
        t.Component("mnuFormulario", &F::mnuFormulario);
        t.Component("mnuListagem", &F::mnuListagem);
        t.Component("mnuConfigImpressora", &F::mnuConfigImpressora);
        t.Component("mnuManutencao", &F::mnuManutencao);
        t.Component("mnuIncluir", &F::mnuIncluir);
        t.Component("mnuAlterar", &F::mnuAlterar);
        t.Component("mnuExcluir", &F::mnuExcluir);
        t.Component("mnuProcurar", &F::mnuProcurar);
        t.Component("mnuVerificar", &F::mnuVerificar);
        t.Component("mnuCancelar", &F::mnuCancelar);
        t.Component("mnuConfirmar", &F::mnuConfirmar);
        t.Component("dtsPadrao", &F::dtsPadrao);
        t.Component("msgPadrao", &F::msgPadrao);
        t.Component("msgMensagensPadroes", &F::msgMensagensPadroes);
        return t;
    }();
    return table;
}

TDataSet* TfrmPadrao::Record() const {
    return dtsPadrao ? dtsPadrao->DataSet() : nullptr;
}

void TfrmPadrao::MarkPageMenus() {
    mnuFolhaDados->SetChecked(pgcPadrao->ActivePage() == tshFolhaDados);
    mnuFormulario->SetChecked(pgcPadrao->ActivePage() == tshFormulario);
}

void TfrmPadrao::FormCreate(TObject*) {
    pgcPadrao->SetActivePage(tshFolhaDados);
    MarkPageMenus();
}

void TfrmPadrao::FormClose(TObject*, TCloseAction& Action) {
    Action = caFree;
}

void TfrmPadrao::pgcPadraoChange(TObject*) {
    MarkPageMenus();
}

// Showing a page from a menu is what a person selecting its tab does.
static void ShowPage(TPageControl& pages, TTabSheet& page) {
    if (!page.Enabled() || pages.ActivePage() == &page) {
        return;
    }
    pages.SetActivePage(&page);
    if (pages.OnChange) {
        pages.OnChange(&pages);
    }
}

void TfrmPadrao::mnuFolhaDadosClick(TObject*) {
    ShowPage(*pgcPadrao, *tshFolhaDados);
}

void TfrmPadrao::mnuFormularioClick(TObject*) {
    ShowPage(*pgcPadrao, *tshFormulario);
}

void TfrmPadrao::sbtIncluirClick(TObject*) {
    if (TDataSet* ds = Record()) {
        ds->Insert();
    }
}

void TfrmPadrao::sbtAlterarClick(TObject*) {
    if (TDataSet* ds = Record()) {
        ds->Edit();
    }
}

void TfrmPadrao::sbtCancelarClick(TObject*) {
    if (TDataSet* ds = Record(); ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        ds->Cancel();
    }
}

void TfrmPadrao::sbtConfirmarClick(TObject*) {
    if (TDataSet* ds = Record(); ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        ds->Post();
    }
}

void TfrmPadrao::sbtProcurarClick(TObject*) {
    if (Record() && Record()->Active()) {
        Pesquisa::Pesquisar(*dtsPadrao, Caption() + "|Não há registros para procurar.");
    }
}

void TfrmPadrao::sbtFecharClick(TObject*) {
    Close();
}

void TfrmPadrao::sbtAjudaClick(TObject*) {
    Ui().ShowHelp(HelpFile(), HelpContext());
}

void TfrmPadrao::mnuIncluirClick(TObject*) {
    sbtIncluir->Click();
}

void TfrmPadrao::mnuAlterarClick(TObject*) {
    sbtAlterar->Click();
}

void TfrmPadrao::mnuExcluirClick(TObject*) {
    sbtExcluir->Click();
}

void TfrmPadrao::mnuProcurarClick(TObject*) {
    sbtProcurar->Click();
}

void TfrmPadrao::mnuVerificarClick(TObject*) {
    sbtVerificar->Click();
}

void TfrmPadrao::mnuCancelarClick(TObject*) {
    sbtCancelar->Click();
}

void TfrmPadrao::mnuConfirmarClick(TObject*) {
    sbtConfirmar->Click();
}
