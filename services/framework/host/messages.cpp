#include "framework/host/messages.h"

TMessages::TMessages(TComponent* Owner) : TComponent(Owner) {
    Messages.OnChange = [this] {
        Reindex();
    };
}

void TMessages::Reindex() {
    index_.clear();
    for (const std::string& line : Messages.Lines()) {
        const size_t bar = line.find('|');
        if (bar == std::string::npos) {
            continue;
        }
        // The first line of a key wins, as a search from the top would find it.
        index_.emplace(line.substr(0, bar), line.substr(bar + 1));
    }
}

std::string TMessages::Msg(std::string_view key) const {
    const auto it = index_.find(std::string(key));
    return it == index_.end() ? std::string() : it->second;
}

bool TMessages::Contains(std::string_view key) const {
    return index_.count(std::string(key)) > 0;
}

TModalResult TMessages::ShowMsg(std::string_view key, TMsgDlgType, TMsgDlgButtons buttons,
                                int) const {
    const std::string text = Msg(key);
    if (buttons & mbYes) {
        return Ui().Confirm(text) ? mrYes : mrNo;
    }
    Ui().ShowError(text);
    return mrOk;
}
