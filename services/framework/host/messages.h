#pragma once

#include "core/strings.h"
#include "framework/base/component.h"
#include "framework/ui/ui_driver.h"

#include <string>
#include <string_view>
#include <unordered_map>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;

/// A message catalog: lines made of a key, a vertical bar and a text ("CDFILIAL_ni|Filial
/// deve ser informada."). Keys are exact (case counts); a text may itself hold bars.
class TMessages : public TComponent {
public:
    explicit TMessages(TComponent* Owner = nullptr);

    TStrings Messages;

    /// The text of the first line with that key; "" for a key the catalog does not hold
    /// (so an empty or unknown code shows as nothing rather than as a raw key).
    std::string Msg(std::string_view key) const;
    bool Contains(std::string_view key) const;
    /// Shows the text of `key`: with Yes among the buttons a question, answered mrYes or
    /// mrNo; otherwise a message, answered mrOk.
    TModalResult ShowMsg(std::string_view key, TMsgDlgType type, TMsgDlgButtons buttons,
                         int helpContext = 0) const;

private:
    void Reindex();
    std::unordered_map<std::string, std::string> index_;
};
