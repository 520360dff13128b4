#pragma once

#include "framework/controls/control.h"
#include "framework/ui/ui_driver.h"

#include <functional>
#include <string>
#include <vector>

class TMainMenu;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TPosition { poDesigned, poScreenCenter, poMainFormCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

/// A window. It owns its components and keeps the input focus: leaving a control runs
/// that control's exit (which may raise to keep the user there), entering one its enter.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* Owner = nullptr);
    ~TForm() override;

    TWinControl* ActiveControl() const { return active_; }
    /// Sets the focus without running exits and enters (as a form definition does).
    void SetActiveControl(TWinControl* control);
    /// Moves the focus to `target`: the control left writes its pending text and runs its
    /// OnExit; a raise there keeps the focus where that handler left it and propagates.
    /// Called again from inside an exit or enter handler, it only moves the focus.
    void FocusControl(TWinControl* target);
    /// Tab (or Shift+Tab): the next control in tab order that can take the focus.
    bool SelectNext(bool forward = true);

    void Show();
    void Hide();
    /// Shows the form through the UI driver and returns its modal result.
    TModalResult ShowModal();
    /// OnCloseQuery, then OnClose with the default action (hide; minimise for a
    /// document window), then that action; a modal form gets mrCancel if it has no result.
    void Close();
    bool Showing() const { return showing_; }
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    /// Setting a result other than mrNone on a modal form closes it.
    void SetModalResult(TModalResult result);

    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style) { formStyle_ = style; }
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(std::string file) { helpFile_ = std::move(file); }
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu) { menu_ = menu; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    /// Normal, minimised or maximised: the renderer follows it and reports a person's
    /// change back through it.
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);

    /// Runs the enabled menu item (of the main menu) whose shortcut is `shortcut`
    /// ("Ctrl+L"); false when none.
    bool UserShortCut(std::string_view shortcut);
    /// The button Enter presses (outside multi-line editors), as a dialog's default
    /// button; none by default.
    TControl* DefaultButton() const { return defaultButton_; }
    void SetDefaultButton(TControl* button) { defaultButton_ = button; }
    /// What a person's Enter does: clicks the default button when there is one a person
    /// can click; false otherwise.
    bool UserEnter();

    /// Runs OnCreate; the application calls it once the form is built.
    void DoCreate();
    /// Runs OnActivate; the application calls it when the form becomes the active one.
    void DoActivate();
    void ControlDestroyed(TWinControl* control);

    TNotifyEvent OnCreate, OnShow, OnActivate, OnHide, OnDestroy;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    /// Files dropped on the form from the system's file manager, by their paths. A form
    /// without it takes no drops.
    std::function<void(TObject* Sender, const std::vector<std::string>& Paths)> OnDropFiles;
    /// What a person dropping files does: OnDropFiles through the application's dispatch;
    /// false when the form takes no drops.
    bool UserDropFiles(const std::vector<std::string>& paths);

private:
    TWinControl* active_ = nullptr;
    TControl* defaultButton_ = nullptr;
    bool focusing_ = false;
    bool showing_ = false;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    std::string helpFile_;
    TMainMenu* menu_ = nullptr;
};
