#include "framework/controls/form.h"

#include "framework/controls/application.h"
#include "framework/controls/menus.h"

#include <algorithm>

TForm::TForm(TComponent* Owner) : TWinControl(Owner) {
    SetVisible(false);
}

TForm::~TForm() {
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            // A destructor must not throw; a failing OnDestroy has nothing left to save.
        }
    }
    Application->FormGone(this);
}

void TForm::SetActiveControl(TWinControl* control) {
    if (active_ != control) {
        active_ = control;
        Changed(TProperty::ActiveControl);
    }
}

void TForm::ControlDestroyed(TWinControl* control) {
    if (active_ == control) {
        active_ = nullptr;
    }
}

void TForm::FocusControl(TWinControl* target) {
    if (focusing_) {
        SetActiveControl(target);
        return;
    }
    if (target == active_) {
        return;
    }
    struct Flag {
        bool& f;
        explicit Flag(bool& flag) : f(flag) { f = true; }
        ~Flag() { f = false; }
    };
    if (TWinControl* leaving = active_) {
        {
            Flag busy(focusing_);
            leaving->PrepareExit();
            if (leaving->OnExit) {
                leaving->OnExit(leaving);
            }
        }
        if (active_ != leaving) {
            return; // the exit handler placed the focus itself
        }
    }
    SetActiveControl(target);
    if (target && target->OnEnter) {
        Flag busy(focusing_);
        target->OnEnter(target);
    }
}

bool TForm::SelectNext(bool forward) {
    std::vector<TWinControl*> order;
    CollectTabOrder(order);
    order.erase(std::remove_if(order.begin(), order.end(),
                               [this](TWinControl* c) { return c != active_ && !c->CanFocus(); }),
                order.end());
    if (order.empty()) {
        return false;
    }
    const auto it = std::find(order.begin(), order.end(), active_);
    size_t next = 0;
    if (it != order.end()) {
        const size_t at = static_cast<size_t>(it - order.begin());
        next = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
    } else if (!forward) {
        next = order.size() - 1;
    }
    if (order[next] == active_) {
        return false;
    }
    FocusControl(order[next]);
    return true;
}

void TForm::Show() {
    if (!showing_) {
        showing_ = true;
        SetVisible(true);
        if (OnShow) {
            OnShow(this);
        }
    }
    // A form already open is brought to the front, as asking for it again means.
    Ui().ShowForm(*this);
    Application->ActivateForm(this);
}

void TForm::Hide() {
    if (!showing_) {
        return;
    }
    showing_ = false;
    SetVisible(false);
    if (OnHide) {
        OnHide(this);
    }
}

TModalResult TForm::ShowModal() {
    TForm* previous = Application->ActiveForm();
    modal_ = true;
    modalResult_ = mrNone;
    showing_ = true;
    SetVisible(true);
    struct Restore {
        TForm& form;
        TForm* previous;
        ~Restore() {
            form.modal_ = false;
            form.Hide();
            if (previous && previous != &form) {
                Application->ActivateForm(previous);
            }
        }
    } restore{*this, previous};
    if (OnShow) {
        OnShow(this);
    }
    Application->ActivateForm(this);
    const TModalResult driven = Ui().ShowModal(*this);
    if (modalResult_ == mrNone) {
        modalResult_ = driven == mrNone ? mrCancel : driven;
    }
    return modalResult_;
}

void TForm::SetWindowState(TWindowState state) {
    if (windowState_ != state) {
        windowState_ = state;
        Changed(TProperty::WindowState);
    }
}

void TForm::SetModalResult(TModalResult result) {
    modalResult_ = result;
    if (modal_ && result != mrNone) {
        showing_ = false;
        Changed(TProperty::ModalResult); // a window's modal loop ends on it
    }
}

void TForm::Close() {
    bool canClose = true;
    if (OnCloseQuery) {
        OnCloseQuery(this, canClose);
    }
    if (!canClose) {
        return;
    }
    TCloseAction action = formStyle_ == fsMDIChild ? caMinimize : caHide;
    if (OnClose) {
        OnClose(this, action);
    }
    if (action == caNone) {
        return;
    }
    if (modal_ && modalResult_ == mrNone) {
        modalResult_ = mrCancel;
    }
    if (action == caHide || action == caFree) {
        Hide();
    }
    if (action == caMinimize) {
        SetWindowState(wsMinimized);
    }
    if (action == caFree) {
        Application->Release(this);
    }
}

bool TForm::UserEnter() {
    return defaultButton_ && defaultButton_->UserClick();
}

bool TForm::UserShortCut(std::string_view shortcut) {
    if (!menu_) {
        return false;
    }
    TMenuItem* item = menu_->Items().FindShortCut(shortcut);
    return item && item->UserClick();
}

void TForm::DoCreate() {
    if (OnCreate) {
        OnCreate(this);
    }
}

void TForm::DoActivate() {
    if (OnActivate) {
        OnActivate(this);
    }
}

bool TForm::UserDropFiles(const std::vector<std::string>& paths) {
    if (!OnDropFiles || paths.empty()) {
        return false;
    }
    Application->Dispatch([this, &paths] { OnDropFiles(this, paths); });
    return true;
}
