#pragma once

#include <QPointer>

#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class TMainMenu;
class TMenuItem;

namespace oca::qt {

class FormView;

/// The form's main menu as a Qt menu bar. Menu items have no observers, so their
/// state is read again whenever a menu opens and after every action. Shortcuts are
/// only written beside the captions: the form view runs them through the form, which
/// refuses a disabled item as the model says.
class MenuBar {
public:
    MenuBar(FormView& view, TMainMenu& menu, QWidget* parent);
    QMenuBar* Widget() const { return bar_; }
    /// Captions, enabled, visible and checked states read again from the items.
    void Refresh();
    void FormGone() { items_.clear(); }

private:
    struct Entry {
        TMenuItem* item;
        QAction* action;
    };
    void AddItems(TMenuItem& parent, QWidget* into);

    FormView& view_;
    QPointer<QMenuBar> bar_;
    std::vector<Entry> items_;
};

} // namespace oca::qt
