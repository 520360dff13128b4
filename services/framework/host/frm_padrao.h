#pragma once

#include "framework/controls/db_controls.h"
#include "framework/controls/form.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/forms/published.h"
#include "framework/host/messages.h"

/// The base of maintenance screens: a toolbar, a navigator bar, a list page with a grid
/// and a form page, the operation and maintenance menus, the data source of the record
/// and two catalogs (the screen's own and the standard one, with "Excl" and "Canc").
/// A derived screen replaces handlers by publishing its own under the same names and
/// calls the base ones by their qualified names.
class TfrmPadrao : public TForm {
public:
    /// Builds the base screen alone from its definition.
    explicit TfrmPadrao(TComponent* Owner = nullptr);

    static const PublishedTable& Published();

    // Handlers; derived screens call them as TfrmPadrao::X(Sender).
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void pgcPadraoChange(TObject* Sender);
    void mnuFolhaDadosClick(TObject* Sender);
    void mnuFormularioClick(TObject* Sender);
    /// Puts the record of dtsPadrao into insert.
    void sbtIncluirClick(TObject* Sender);
    /// Puts it into edit.
    void sbtAlterarClick(TObject* Sender);
    /// Cancels its pending changes (edit or insert).
    void sbtCancelarClick(TObject* Sender);
    /// Posts it when it is in edit or insert.
    void sbtConfirmarClick(TObject* Sender);
    /// A search window over the list's visible fields; the record chosen becomes current.
    void sbtProcurarClick(TObject* Sender);
    void sbtFecharClick(TObject* Sender);
    void sbtAjudaClick(TObject* Sender);
    /// The maintenance menu items click their toolbar buttons.
    void mnuIncluirClick(TObject* Sender);
    void mnuAlterarClick(TObject* Sender);
    void mnuExcluirClick(TObject* Sender);
    void mnuProcurarClick(TObject* Sender);
    void mnuVerificarClick(TObject* Sender);
    void mnuCancelarClick(TObject* Sender);
    void mnuConfirmarClick(TObject* Sender);

    TLabel* lblCodTela = nullptr;
    TPanel* panMenu = nullptr;
    TSpeedButton *sbtConfirmar = nullptr, *sbtCancelar = nullptr, *sbtIncluir = nullptr,
                 *sbtAlterar = nullptr, *sbtExcluir = nullptr, *sbtProcurar = nullptr,
                 *sbtVerificar = nullptr, *sbtAjuda = nullptr, *sbtImprimir = nullptr,
                 *sbtFechar = nullptr;
    TPanel* panNavigator = nullptr;
    TDBText* dbtNome = nullptr;
    TDBNavigator* dbnPadrao = nullptr;
    TPageControl* pgcPadrao = nullptr;
    TTabSheet* tshFolhaDados = nullptr;
    TDBGrid* dbgPadrao = nullptr;
    TTabSheet* tshFormulario = nullptr;
    TScrollBox* scbFormulario = nullptr;
    TMainMenu* mnuPrincipal = nullptr;
    TMenuItem *mnuOperacao = nullptr, *mnuFolhaDados = nullptr, *mnuFormulario = nullptr,
              *mnuListagem = nullptr, *mnuConfigImpressora = nullptr;
    TMenuItem *mnuManutencao = nullptr, *mnuIncluir = nullptr, *mnuAlterar = nullptr,
              *mnuExcluir = nullptr, *mnuProcurar = nullptr, *mnuVerificar = nullptr,
              *mnuCancelar = nullptr, *mnuConfirmar = nullptr;
    TDataSource* dtsPadrao = nullptr;
    TMessages* msgPadrao = nullptr;
    TMessages* msgMensagensPadroes = nullptr;

protected:
    struct Inherited {};
    /// For derived screens: builds nothing; the derived constructor loads its whole
    /// definition chain.
    TfrmPadrao(TComponent* Owner, Inherited) : TForm(Owner) {}
    TDataSet* Record() const;
    /// Ticks the operation menu's page entries after the page shown.
    void MarkPageMenus();
};

/// Registers the definitions of the base screens (once; later calls do nothing).
void RegisterBaseScreens();
