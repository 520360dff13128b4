#pragma once

#include "framework/base/component.h"
#include "framework/ui/ui_driver.h"

#include <exception>
#include <functional>
#include <vector>

class TForm;

/// The application object: creates forms, knows the main and the active form, and is
/// the one place where errors stop. Every entry from outside (a person's action in the
/// renderer, a scenario command, a host call) runs through Dispatch.
class TApplication : public TComponent {
public:
    TApplication() = default;
    ~TApplication() override;

    /// Creates a form owned by the application and runs its OnCreate; the first one
    /// becomes the main form. When OnCreate raises, the form is freed and the error
    /// propagates.
    template <class T, class... Args> T* CreateForm(Args&&... args) {
        T* form = Create<T>("", std::forward<Args>(args)...);
        FormCreated(form);
        return form;
    }

    /// Frees every form the application owns, newest first: a host calls it before it
    /// unloads the modules whose classes the forms are.
    void FreeForms();

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }
    TForm* ActiveForm() const { return activeForm_; }
    /// Makes the form the active one and runs its OnActivate (again on every return).
    void ActivateForm(TForm* form);
    void FormGone(TForm* form);

    /// Runs `action`; EAbort ends it silently, any other error is shown with its message
    /// through the UI driver. Nothing escapes. Forms released meanwhile are freed after.
    /// Returns false when the action ended with an error.
    bool Dispatch(const std::function<void()>& action) noexcept;
    /// Shows the error of `error` (nothing for EAbort).
    void HandleException(std::exception_ptr error) noexcept;
    /// Frees a form once the current dispatch is over (a form may release itself from
    /// its own handler).
    void Release(TForm* form);

    /// The screen cursor; see TCursorGuard for a nesting-safe change.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

private:
    void FormCreated(TForm* form);
    void FreeReleased();

    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    std::vector<TForm*> released_;
    std::vector<TForm*> activating_;
    int dispatchDepth_ = 0;
    TCursor cursor_ = crDefault;
};

/// The process's application object.
extern TApplication* Application;

/// Sets the screen cursor and puts back the one before it, on any path out.
class TCursorGuard {
public:
    explicit TCursorGuard(TCursor cursor);
    ~TCursorGuard();
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;

private:
    TCursor saved_;
};
