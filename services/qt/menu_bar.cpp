#include "qt/menu_bar.h"

#include "framework/controls/menus.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

#include <QMenu>
#include <QMenuBar>

namespace oca::qt {

MenuBar::MenuBar(FormView& view, TMainMenu& menu, QWidget* parent)
    : view_(view), bar_(new QMenuBar(parent)) {
    bar_->setNativeMenuBar(false);
    AddItems(menu.Items(), bar_);
    Refresh();
}

void MenuBar::AddItems(TMenuItem& parent, QWidget* into) {
    for (TMenuItem* item : parent.Items()) {
        QAction* action = nullptr;
        if (item->IsSeparator()) {
            auto* menu = qobject_cast<QMenu*>(into);
            action = menu ? menu->addSeparator() : nullptr;
        } else if (!item->Items().empty()) {
            auto* sub = new QMenu(Q(item->Caption()), into);
            sub->setObjectName(Q(item->Name()));
            QObject::connect(sub, &QMenu::aboutToShow, sub, [this] { Refresh(); });
            AddItems(*item, sub);
            action = sub->menuAction();
        } else {
            action = new QAction(MenuCaption(item->Caption(), item->ShortCut()), into);
            action->setObjectName(Q(item->Name()));
            QObject::connect(action, &QAction::triggered, action, [this, item] {
                // The item may be gone with its form while the menu was open.
                for (const Entry& entry : items_) {
                    if (entry.item == item) {
                        view_.Act([item] { item->UserClick(); });
                        return;
                    }
                }
            });
        }
        if (!action) {
            continue;
        }
        if (auto* bar = qobject_cast<QMenuBar*>(into)) {
            bar->addAction(action);
        } else if (!item->IsSeparator()) {
            into->addAction(action);
        }
        items_.push_back({item, action});
    }
}

void MenuBar::Refresh() {
    for (const Entry& entry : items_) {
        const TMenuItem& item = *entry.item;
        entry.action->setEnabled(item.Enabled());
        entry.action->setVisible(item.Visible());
        if (!item.IsSeparator() && item.Items().empty()) {
            entry.action->setCheckable(item.Checked());
            entry.action->setChecked(item.Checked());
            entry.action->setText(MenuCaption(item.Caption(), item.ShortCut()));
            entry.action->setToolTip(Q(item.Hint()));
        }
    }
}

} // namespace oca::qt
