#include "framework/controls/application.h"

#include "core/exceptions.h"
#include "framework/controls/form.h"

#include <algorithm>
#include <iostream>

namespace {
TApplication g_application;
}

TApplication* Application = &g_application;

TApplication::~TApplication() {
    activeForm_ = nullptr;
    mainForm_ = nullptr;
}

void TApplication::FreeForms() {
    FreeReleased();
    for (size_t i = ComponentCount(); i-- > 0;) {
        if (i < ComponentCount()) {
            if (auto* form = dynamic_cast<TForm*>(Components(i))) {
                FreeComponent(form);
            }
        }
    }
    activeForm_ = nullptr;
    mainForm_ = nullptr;
}

void TApplication::FormCreated(TForm* form) {
    if (!mainForm_) {
        mainForm_ = form;
    }
    try {
        form->DoCreate();
    } catch (...) {
        // A form whose creation failed does not exist: nothing may find it afterwards.
        if (mainForm_ == form) {
            mainForm_ = nullptr;
        }
        FreeComponent(form);
        throw;
    }
}

void TApplication::ActivateForm(TForm* form) {
    activeForm_ = form;
    if (!form) {
        return;
    }
    // A form whose activation handler is running (it showed a modal form that just
    // closed) is active again without a second, nested run of that handler: a desktop
    // delivers that activation after the handler has returned.
    if (std::find(activating_.begin(), activating_.end(), form) != activating_.end()) {
        return;
    }
    activating_.push_back(form);
    try {
        form->DoActivate();
    } catch (...) {
        activating_.pop_back();
        throw;
    }
    activating_.pop_back();
}

void TApplication::FormGone(TForm* form) {
    if (activeForm_ == form) {
        activeForm_ = nullptr;
    }
    if (mainForm_ == form) {
        mainForm_ = nullptr;
    }
    released_.erase(std::remove(released_.begin(), released_.end(), form), released_.end());
}

void TApplication::HandleException(std::exception_ptr error) noexcept {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // Already shown to the user.
    } catch (const Exception& e) {
        try {
            Ui().ShowError(e.Message());
        } catch (...) {
            std::cerr << "erro: " << e.Message() << '\n';
        }
    } catch (const std::exception& e) {
        std::cerr << "erro interno: " << e.what() << '\n';
        try {
            Ui().ShowError(std::string("Erro interno: ") + e.what());
        } catch (...) {
        }
    } catch (...) {
        std::cerr << "erro interno desconhecido\n";
        try {
            Ui().ShowError("Erro interno desconhecido");
        } catch (...) {
        }
    }
}

bool TApplication::Dispatch(const std::function<void()>& action) noexcept {
    bool ok = true;
    ++dispatchDepth_;
    try {
        action();
    } catch (...) {
        ok = false;
        HandleException(std::current_exception());
    }
    if (--dispatchDepth_ == 0) {
        FreeReleased();
    }
    return ok;
}

void TApplication::Release(TForm* form) {
    if (std::find(released_.begin(), released_.end(), form) == released_.end()) {
        released_.push_back(form);
    }
    if (dispatchDepth_ == 0) {
        FreeReleased();
    }
}

void TApplication::FreeReleased() {
    while (!released_.empty()) {
        TForm* form = released_.back();
        released_.pop_back();
        if (form->Owner() == this) {
            FreeComponent(form);
        } else {
            // Not ours to free (owned elsewhere or on a stack): only hidden.
            form->Hide();
        }
    }
}

void TApplication::SetCursor(TCursor cursor) {
    if (cursor_ != cursor) {
        cursor_ = cursor;
        Ui().SetCursor(cursor);
    }
}

TCursorGuard::TCursorGuard(TCursor cursor) : saved_(Application->Cursor()) {
    Application->SetCursor(cursor);
}

TCursorGuard::~TCursorGuard() {
    Application->SetCursor(saved_);
}
