#include "framework/controls/menus.h"

#include "core/text.h"

#include <algorithm>

namespace {

std::vector<std::string> ShortCutParts(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('+', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string part = UpperCase(Trim(text.substr(start, end - start)));
        if (!part.empty()) {
            parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    if (parts.size() > 1) {
        std::sort(parts.begin(), parts.end() - 1); // modifiers in any order, key last
    }
    return parts;
}

} // namespace

bool SameShortCut(std::string_view a, std::string_view b) {
    const auto x = ShortCutParts(a);
    return !x.empty() && x == ShortCutParts(b);
}

void TMenuItem::Insert(size_t index, TMenuItem* item) {
    if (item->parent_) {
        item->parent_->Remove(item);
    }
    item->parent_ = this;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(index, items_.size())),
                  item);
}

void TMenuItem::Remove(TMenuItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->parent_ = nullptr;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Click() {
    if (OnClick) {
        OnClick(this);
    }
}

bool TMenuItem::UserClick() {
    for (const TMenuItem* m = this; m; m = m->parent_) {
        if (!m->enabled_ || !m->visible_) {
            return false;
        }
    }
    if (IsSeparator()) {
        return false;
    }
    Click();
    return true;
}

TMenuItem* TMenuItem::FindShortCut(std::string_view shortCut) {
    if (!enabled_ || !visible_) {
        return nullptr;
    }
    if (!shortCut_.empty() && SameShortCut(shortCut_, shortCut)) {
        return this;
    }
    for (TMenuItem* item : items_) {
        if (TMenuItem* found = item->FindShortCut(shortCut)) {
            return found;
        }
    }
    return nullptr;
}
