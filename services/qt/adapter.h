#pragma once

#include "framework/controls/control.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string_view>

class QKeyEvent;

namespace oca::qt {

class FormView;

/// Keeps one Qt widget in step with one framework control. The control is the truth:
/// its property changes reach Sync; what a person does to the widget goes back into the
/// control through the form view's Act (the application's dispatch).
class Adapter {
public:
    Adapter(FormView& view, TControl& control, QWidget* widget);
    virtual ~Adapter();
    Adapter(const Adapter&) = delete;
    Adapter& operator=(const Adapter&) = delete;

    /// The control, or nullptr once it is gone.
    TControl* Control() const { return control_; }
    QWidget* Widget() const { return widget_; }
    /// Where the widgets of the control's children go.
    virtual QWidget* ChildHost() const { return widget_; }
    /// The widget that takes the focus for the control.
    virtual QWidget* FocusWidget() const { return widget_; }

    /// Brings the widget in line with a property of the control ("" for all of them).
    virtual void Sync(TProperty property);
    /// Runs once the whole form is built (adapters that reach their siblings).
    virtual void Finish() {}
    /// A key pressed in the widget, after the form's own keys (Tab, menu shortcuts);
    /// true when the control took it.
    virtual bool KeyPress(QKeyEvent& /*event*/) { return false; }
    /// A person put the focus here with the mouse; false for controls whose click
    /// moves the focus itself.
    virtual bool FocusByMouse() const { return true; }

    void ControlGone();

protected:
    FormView& View() const { return view_; }
    virtual void SyncCaption() {}
    virtual void SyncBounds();
    virtual void SyncColor();

private:
    FormView& view_;
    TControl* control_;
    QPointer<QWidget> widget_;
    int observer_ = 0;
};

/// The adapter that fits the control's kind.
std::unique_ptr<Adapter> MakeAdapter(FormView& view, TControl& control, QWidget* parent);

} // namespace oca::qt
