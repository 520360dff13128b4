#pragma once

#include "framework/controls/std_controls.h"

#include <functional>
#include <string>

class TDataSource;

using TBeforePesqEvent = std::function<void(TObject* Sender, bool& Pesquisar)>;

/// The lookup button beside an edit. A click runs OnClick alone when it is set;
/// otherwise OnBeforePesq (which may clear its flag to stop), opens the data source's
/// data set when closed, shows EmptyError for an empty list, else the search window
/// titled Title, and on a choice (the data set stands on the chosen row) OnAfterPesq.
class TBtnPesquisa : public TSpeedButton {
public:
    explicit TBtnPesquisa(TComponent* Owner = nullptr);

    std::string Title;
    std::string EmptyError;
    TDataSource* DataSource = nullptr;
    /// The control the button serves.
    TControl* Associate = nullptr;
    bool LooksUpFor(const TControl* control) const override { return control == Associate; }
    // Settings of the search over the product tree.
    std::string FieldNivel;
    std::string FieldCodigo;
    std::string FieldNome;
    bool PesqChave = false;

    void Click() override;

    TBeforePesqEvent OnBeforePesq;
    TNotifyEvent OnAfterPesq;
};
