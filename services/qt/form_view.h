#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>

#include "framework/controls/form.h"

#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

class TControl;
class TForm;
class TWinControl;
class QMenuBar;
class QDropEvent;
class QKeyEvent;

namespace oca::qt {

class Adapter;
class MenuBar;

/// A framework form rendered as Qt widgets: one adapter per control, built from the
/// component tree, with the menu bar of the form's main menu above the client area.
/// The form drives: the focus, the tab order and the menu shortcuts are the form's;
/// Qt only reports what a person did.
class FormView {
public:
    explicit FormView(TForm& form);
    ~FormView();
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    /// The form, or nullptr once it is freed.
    TForm* Form() const { return form_; }
    /// The menu bar and the client area; the caller puts it in a window.
    QWidget* Root() const { return root_; }
    QWidget* WidgetOf(const TControl* control) const;
    /// The widget of the named control (case-insensitive), or nullptr.
    QWidget* WidgetNamed(std::string_view name) const;
    Adapter* AdapterOf(const TControl* control) const;
    Adapter* AdapterOfWidget(const QObject* widget) const;
    QMenuBar* MenuBarWidget() const;
    size_t AdapterCount() const { return adapters_.size(); }

    /// Form units to pixels at the screen's resolution.
    int Scale(int units) const;
    /// Pixels to form units.
    int Unscale(int pixels) const;

    /// Runs what a person did through the application's dispatch (errors end there and
    /// are shown), then puts the Qt focus where the form has it.
    void Act(const std::function<void()>& action);
    /// Gives the Qt focus to the form's active control.
    void SyncFocus();
    /// Selects the whole text of a filled masked edit just tabbed into.
    void SelectFilledMask(QWidget* target);

    /// Called (later, from the event loop) once the form is freed, so that the window
    /// holding the root can go.
    std::function<void()> OnFormGone;
    /// Called when the form is shown or hidden, or its modal result ends its showing.
    std::function<void(bool showing)> OnShowingChanged;
    /// Called when the form's window state changes (by code or by a person).
    std::function<void(TWindowState state)> OnWindowStateChanged;

    // For adapters.
    void ControlGone(Adapter& adapter);
    void Watch(QWidget* widget, Adapter* adapter);

private:
    class EventFilter;
    void Build(TWinControl& parent, QWidget* host);
    bool FilterEvent(QObject* watched, QEvent* event);
    bool FormKey(QObject* watched, QKeyEvent& event);
    bool FilesDropped(QDropEvent& event);
    void ReportSize(QObject* watched);
    void FocusLater(Adapter& adapter);
    QSize ClientExtent() const;

    TForm* form_;
    QPointer<QWidget> root_;
    QWidget* client_ = nullptr;
    std::unique_ptr<EventFilter> filter_;
    std::unique_ptr<MenuBar> menuBar_;
    std::vector<std::unique_ptr<Adapter>> adapters_;
    std::unordered_map<const TControl*, Adapter*> byControl_;
    QHash<const QObject*, Adapter*> byWidget_;
    double scale_ = 1.0;
    bool syncingFocus_ = false;
    bool byKeyboard_ = false; ///< the focus moves by Tab
};

} // namespace oca::qt
