#pragma once

#include "framework/controls/date_edit.h"
#include "framework/controls/form.h"
#include "framework/controls/menus.h"
#include "framework/data/client_dataset.h"
#include "framework/data/datasource.h"
#include "framework/forms/published.h"
#include "framework/host/messages.h"

#include <functional>

class OptionStore;

/// A toolbar button that may be stopped before its click runs (the option loader first
/// lets the user pick the set to load).
class TOptionButton : public TSpeedButton {
public:
    explicit TOptionButton(TComponent* Owner = nullptr) : TSpeedButton(Owner) {}
    std::function<bool()> BeforeClick;
    void Click() override {
        if (BeforeClick && !BeforeClick()) {
            return;
        }
        TSpeedButton::Click();
    }
};

/// The base of filter screens: the criteria in `grbFiltroPadrao`, the confirm button, the
/// option menu and the saved option sets. An option set is the option list (`Options`,
/// name=value lines) plus the state of the radio buttons, check boxes and date editors
/// inside `grbFiltroPadrao`; sets are named by the user and kept per screen code and
/// operator. Loading: the user picks a set (which fills the option list) before the load
/// handler runs, so a derived handler finds the set in the list when it starts.
class TfrmFiltroPadrao : public TForm {
public:
    explicit TfrmFiltroPadrao(TComponent* Owner = nullptr);

    static const PublishedTable& Published();

    void FormCreate(TObject* Sender);
    /// Asks the set's name, adds the controls' state to the option list and stores it.
    void btfSaveOpcClick(TObject* Sender);
    /// Restores the controls' state from the option list.
    void btfLoadOpcClick(TObject* Sender);
    /// Closes the screen with mrOk (derived screens check and load first).
    void sbtConfirmaClick(TObject* Sender);
    void mnuSalvarOpcoesClick(TObject* Sender);
    void mnuCarregarOpcoesClick(TObject* Sender);

    /// The option list of the set being saved or loaded.
    TStrings Options;
    /// Name of the set last saved or loaded.
    const std::string& OptionSetName() const { return setName_; }

    TLabel* lblCodTela = nullptr;
    TGroupBox* grbFiltroPadrao = nullptr;
    TSpeedButton* sbtConfirma = nullptr;
    TOptionButton* btfSaveOpc = nullptr;
    TOptionButton* btfLoadOpc = nullptr;
    TMessages* msgPadrao = nullptr;
    TPopupMenu* ppmOpcoes = nullptr;
    TClientDataSet* cdsCarregaOpcoes = nullptr;
    TDataSource* dtsCarregaOpcoes = nullptr;

protected:
    struct Inherited {};
    TfrmFiltroPadrao(TComponent* Owner, Inherited) : TForm(Owner) {}
    /// Wires what the definition cannot say; derived constructors call it after loading.
    void AfterLoad();

    /// The controls' state into `Options`, and back: what an option set keeps.
    void CollectControls(TWinControl& container);
    void RestoreControls(TWinControl& container);

private:
    OptionStore Store() const;
    bool ChooseOptionSet();
    void RefreshOptionSets();
    std::string setName_;
};
