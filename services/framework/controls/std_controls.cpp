#include "framework/controls/std_controls.h"

#include "core/text.h"

#include <algorithm>
#include <climits>

// -- TCustomEdit -----------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* Owner) : TWinControl(Owner) {
    SetTabStop(true);
    SetColor(clWindow);
}

std::string TCustomEdit::Text() const {
    const std::string mask = EditMask();
    return mask.empty() ? text_ : ::EditMask(mask).Strip(text_);
}

void TCustomEdit::ShowText(std::string_view text) {
    const std::string mask = EditMask();
    std::string shown = mask.empty() ? std::string(text) : ::EditMask(mask).Format(text);
    if (maxLength_ > 0 && mask.empty()) {
        shown = Utf8Left(shown, static_cast<size_t>(maxLength_));
    }
    if (shown == text_) {
        return;
    }
    text_ = std::move(shown);
    Changed(TProperty::Text);
    if (OnChange && !Quiet()) {
        OnChange(this);
    }
}

void TCustomEdit::SetText(std::string_view text) {
    ShowText(text);
}

void TCustomEdit::SetReadOnly(bool readOnly) {
    if (readOnly_ != readOnly) {
        readOnly_ = readOnly;
        Changed(TProperty::ReadOnly);
    }
}

void TCustomEdit::SetEditMask(std::string mask) {
    if (mask_ == mask) {
        return;
    }
    const std::string value = Text();
    mask_ = std::move(mask);
    Changed(TProperty::EditMask);
    ShowText(value);
}

bool TCustomEdit::UserType(std::string_view text) {
    if (!CanReach() || readOnly_) {
        return false;
    }
    ShowText(text);
    return true;
}

// -- TRadioButton ----------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* Owner) : TWinControl(Owner) {
    SetTabStop(true);
}

void TRadioButton::SetChecked(bool checked) {
    if (checked_ == checked) {
        return;
    }
    checked_ = checked;
    Changed(TProperty::Checked);
    if (!checked) {
        return;
    }
    if (Parent()) {
        for (TControl* sibling : Parent()->Children()) {
            auto* radio = dynamic_cast<TRadioButton*>(sibling);
            if (radio && radio != this && radio->checked_) {
                radio->checked_ = false;
                radio->Changed(TProperty::Checked);
            }
        }
    }
    if (!Quiet()) {
        TControl::Click();
    }
}

namespace {

std::vector<TRadioButton*> Group(const TRadioButton& radio) {
    std::vector<TRadioButton*> group;
    if (!radio.Parent()) {
        return group;
    }
    for (TControl* sibling : radio.Parent()->Children()) {
        if (auto* r = dynamic_cast<TRadioButton*>(sibling)) {
            group.push_back(r);
        }
    }
    std::stable_sort(group.begin(), group.end(), [](const TRadioButton* a, const TRadioButton* b) {
        const int x = a->TabOrder() < 0 ? INT32_MAX : a->TabOrder();
        const int y = b->TabOrder() < 0 ? INT32_MAX : b->TabOrder();
        return x < y;
    });
    return group;
}

} // namespace

bool TRadioButton::TakesTab() const {
    if (!TabStop()) {
        return false;
    }
    const std::vector<TRadioButton*> group = Group(*this);
    const auto checked = std::find_if(group.begin(), group.end(), [](const TRadioButton* r) {
        return r->Checked() && r->CanReach();
    });
    if (checked != group.end()) {
        return *checked == this;
    }
    const auto first = std::find_if(group.begin(), group.end(),
                                    [](const TRadioButton* r) { return r->CanFocus(); });
    return first == group.end() || *first == this;
}

TRadioButton* TRadioButton::Neighbour(int step) const {
    const std::vector<TRadioButton*> group = Group(*this);
    const auto at = std::find(group.begin(), group.end(), this);
    if (at == group.end()) {
        return nullptr;
    }
    for (long i = (at - group.begin()) + step; i >= 0 && i < static_cast<long>(group.size());
         i += step) {
        if (group[static_cast<size_t>(i)]->CanFocus()) {
            return group[static_cast<size_t>(i)];
        }
    }
    return nullptr;
}

void TRadioButton::Click() {
    // Only a button that was not selected runs its click behaviour: a second click on the
    // selected one changes nothing, as selecting it again from code changes nothing.
    SetChecked(true);
}

// -- TCheckBox -------------------------------------------------------------------------

TCheckBox::TCheckBox(TComponent* Owner) : TWinControl(Owner) {
    SetTabStop(true);
}

void TCheckBox::SetChecked(bool checked) {
    if (checked_ == checked) {
        return;
    }
    checked_ = checked;
    Changed(TProperty::Checked);
    if (!Quiet()) {
        TControl::Click();
    }
}

void TCheckBox::Click() {
    SetChecked(!checked_);
}
