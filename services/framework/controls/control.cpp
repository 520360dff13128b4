#include "framework/controls/control.h"

#include "framework/controls/form.h"

#include <algorithm>

// -- TControl ---------------------------------------------------------------------

TControl::~TControl() {
    // Observers (a renderer) drop what they keep of the control; it is half gone already.
    Changed(TProperty::Destroyed);
    SetParent(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) {
        return;
    }
    if (parent_) {
        auto& list = parent_->children_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    parent_ = parent;
    if (parent_) {
        parent_->children_.push_back(this);
    }
}

TForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c) {
        if (auto* form = dynamic_cast<const TForm*>(c)) {
            return const_cast<TForm*>(form);
        }
        c = c->parent_;
    }
    return nullptr;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        Changed(TProperty::Enabled);
    }
}

void TControl::SetVisible(bool visible) {
    if (visible_ != visible) {
        visible_ = visible;
        Changed(TProperty::Visible);
    }
}

bool TControl::CanReach() const {
    for (const TControl* c = this; c; c = c->parent_) {
        if (!c->enabled_ || !c->visible_ || (c->parent_ && !c->parent_->ChildrenShown())) {
            return false;
        }
    }
    return true;
}

void TControl::SetCaption(std::string caption) {
    if (caption_ != caption) {
        caption_ = std::move(caption);
        Changed(TProperty::Caption);
    }
}

void TControl::SetHint(std::string hint) {
    if (hint_ != hint) {
        hint_ = std::move(hint);
        Changed(TProperty::Hint);
    }
}

void TControl::SetColor(TColor color) {
    if (color_ != color) {
        color_ = color;
        Changed(TProperty::Color);
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) {
        return;
    }
    const int oldWidth = width_, oldHeight = height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed(TProperty::Bounds);
    if (auto* container = dynamic_cast<TWinControl*>(this);
        container && (width != oldWidth || height != oldHeight)) {
        container->AlignControls(oldWidth, oldHeight);
    }
    if (align_ != alNone && parent_) {
        parent_->AlignControls(parent_->Width(), parent_->Height());
    }
}

void TControl::SetAlign(TAlign align) {
    if (align_ == align) {
        return;
    }
    align_ = align;
    if (parent_) {
        parent_->AlignControls(parent_->Width(), parent_->Height());
    }
}

void TWinControl::AlignControls(int oldWidth, int oldHeight) {
    if (aligning_) {
        return; // the children being placed report their new bounds
    }
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{aligning_};
    aligning_ = true;
    int left = 0, top = 0, right = Width(), bottom = Height();
    for (TAlign side : {alTop, alBottom, alLeft, alRight}) {
        for (TControl* c : children_) {
            if (c->Align() != side || !c->Visible()) {
                continue;
            }
            switch (side) {
            case alTop:
                c->SetBounds(left, top, std::max(0, right - left), c->Height());
                top += c->Height();
                break;
            case alBottom:
                bottom -= c->Height();
                c->SetBounds(left, bottom, std::max(0, right - left), c->Height());
                break;
            case alLeft:
                c->SetBounds(left, top, c->Width(), std::max(0, bottom - top));
                left += c->Width();
                break;
            default:
                right -= c->Width();
                c->SetBounds(right, top, c->Width(), std::max(0, bottom - top));
                break;
            }
        }
    }
    for (TControl* c : children_) {
        if (c->Align() == alClient && c->Visible()) {
            c->SetBounds(left, top, std::max(0, right - left), std::max(0, bottom - top));
        }
    }
    // Anchors: a size change moves or stretches the controls held to the far edges. While
    // a definition loads, sizes are being given, not changed.
    if (oldWidth <= 0 || oldHeight <= 0 || Loading()) {
        return;
    }
    const int dw = Width() - oldWidth, dh = Height() - oldHeight;
    for (TControl* c : children_) {
        const TAnchors a = c->Anchors();
        if (c->Align() != alNone || a == (akLeft | akTop)) {
            continue;
        }
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        if (a & akRight) {
            (a & akLeft) ? w += dw : l += dw;
        }
        if (a & akBottom) {
            (a & akTop) ? h += dh : t += dh;
        }
        c->SetBounds(l, t, std::max(0, w), std::max(0, h));
    }
}

void TControl::Click() {
    if (OnClick) {
        OnClick(this);
    }
}

bool TControl::UserClick() {
    if (!CanReach()) {
        return false;
    }
    // A click on a control that takes the focus moves it first; a refused exit of the
    // control left behind stops the click.
    auto* win = dynamic_cast<TWinControl*>(this);
    if (win && win->TabStop()) {
        if (TForm* form = ParentForm()) {
            form->FocusControl(win);
        }
    }
    Click();
    return true;
}

int TControl::AddObserver(Observer observer) {
    observers_.emplace_back(nextObserver_, std::move(observer));
    return nextObserver_++;
}

void TControl::RemoveObserver(int id) {
    observers_.erase(std::remove_if(observers_.begin(), observers_.end(),
                                    [id](const auto& o) { return o.first == id; }),
                     observers_.end());
}

void TControl::Changed(TProperty property) {
    if (observers_.empty()) {
        return;
    }
    const auto observers = observers_; // an observer may remove itself
    for (const auto& [id, observer] : observers) {
        observer(*this, property);
    }
}

// -- TWinControl ---------------------------------------------------------------------

TWinControl::~TWinControl() {
    const std::vector<TControl*> children = children_;
    for (TControl* child : children) {
        child->parent_ = nullptr;
    }
    if (TForm* form = ParentForm(); form && form != this) {
        form->ControlDestroyed(this);
    }
}

bool TWinControl::CanFocus() const {
    return tabStop_ && CanReach();
}

bool TWinControl::Focused() const {
    const TForm* form = ParentForm();
    return form && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
    if (TForm* form = ParentForm()) {
        form->FocusControl(this);
    }
}

bool TWinControl::UserFocus() {
    TForm* form = ParentForm();
    if (!form || !CanFocus()) {
        return false;
    }
    form->FocusControl(this);
    return true;
}

void TWinControl::CollectTabOrder(std::vector<TWinControl*>& out) {
    if (!ChildrenShown()) {
        return;
    }
    std::vector<TWinControl*> wins;
    for (TControl* c : children_) {
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            wins.push_back(w);
        }
    }
    // Controls without a tab order keep their creation order, after those with one.
    std::stable_sort(wins.begin(), wins.end(), [](const TWinControl* a, const TWinControl* b) {
        const int x = a->TabOrder() < 0 ? INT32_MAX : a->TabOrder();
        const int y = b->TabOrder() < 0 ? INT32_MAX : b->TabOrder();
        return x < y;
    });
    for (TWinControl* w : wins) {
        if (w->TakesTab()) {
            out.push_back(w);
        }
        w->CollectTabOrder(out);
    }
}

bool TWinControl::UserKeyDown(std::uint16_t key, TShiftState shift) {
    if (!CanReach()) {
        return false;
    }
    UserKeyDownLeft(key, shift);
    return true;
}

bool TWinControl::UserKeyPress(char key) {
    if (!CanReach()) {
        return false;
    }
    UserKeyPressLeft(key);
    return true;
}

std::uint16_t TWinControl::UserKeyDownLeft(std::uint16_t key, TShiftState shift) {
    if (!CanReach()) {
        return 0;
    }
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
    }
    if (key != 0) {
        KeyDown(key, shift);
    }
    return key;
}

// F9 opens the lookup of the button beside the control, the host's keyboard habit.
void TWinControl::KeyDown(std::uint16_t key, TShiftState shift) {
    if (key != VK_F9 || shift != 0) {
        return;
    }
    TForm* form = ParentForm();
    if (!form) {
        return;
    }
    for (size_t i = 0; i < form->ComponentCount(); ++i) {
        auto* button = dynamic_cast<TControl*>(form->Components(i));
        if (button && button->LooksUpFor(this)) {
            button->UserClick();
            return;
        }
    }
}

char TWinControl::UserKeyPressLeft(char key) {
    if (!CanReach()) {
        return 0;
    }
    if (OnKeyPress) {
        OnKeyPress(this, key);
    }
    if (key != 0) {
        KeyPress(key);
    }
    return key;
}
