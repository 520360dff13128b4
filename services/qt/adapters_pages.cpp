// The page control as tabs; a disabled page's tab cannot be chosen.
#include "framework/controls/pages.h"
#include "qt/adapters.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

#include <QTabBar>
#include <QTabWidget>

namespace oca::qt {

namespace {

class TabSheetAdapter : public Adapter {
public:
    TabSheetAdapter(FormView& view, TTabSheet& page, QWidget* parent)
        : Adapter(view, page, new QWidget(parent)) {}

    void Sync(TProperty property) override {
        TControl* page = Control();
        if (!page) {
            return;
        }
        // The tab widget places and shows the page; only its tab follows the model.
        auto* tabs = Tabs();
        const int index = tabs ? tabs->indexOf(Widget()) : -1;
        if (index < 0) {
            return;
        }
        if (property == TProperty::All || property == TProperty::Caption) {
            tabs->setTabText(index, Q(page->Caption()));
        }
        if (property == TProperty::All || property == TProperty::Enabled) {
            tabs->setTabEnabled(index, page->Enabled());
        }
        if (property == TProperty::All || property == TProperty::Visible) {
            tabs->setTabVisible(index, page->Visible());
        }
        if (property == TProperty::All || property == TProperty::Hint) {
            tabs->setTabToolTip(index, Q(page->Hint()));
        }
    }

private:
    QTabWidget* Tabs() const {
        for (QWidget* w = Widget()->parentWidget(); w; w = w->parentWidget()) {
            if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                return tabs;
            }
        }
        return nullptr;
    }
};

class PageControlAdapter : public Adapter {
public:
    PageControlAdapter(FormView& view, TPageControl& pages, QWidget* parent)
        : Adapter(view, pages, new QTabWidget(parent)) {
        Tabs()->setDocumentMode(false);
        QObject::connect(Tabs(), &QTabWidget::currentChanged, Tabs(),
                         [this](int index) { Chosen(index); });
    }

    void Finish() override {
        auto& pages = Pages();
        const QSignalBlocker block(Tabs());
        for (size_t i = 0; i < pages.PageCount(); ++i) {
            TTabSheet* page = pages.Pages(i);
            if (QWidget* widget = View().WidgetOf(page)) {
                Tabs()->addTab(widget, Q(page->Caption()));
                View().AdapterOf(page)->Sync(TProperty::All);
            }
        }
        ShowActive();
    }

    void Sync(TProperty property) override {
        Adapter::Sync(property);
        if (Control() && property == TProperty::ActivePage) {
            ShowActive();
        }
    }

private:
    QTabWidget* Tabs() const { return static_cast<QTabWidget*>(Widget()); }
    TPageControl& Pages() const { return static_cast<TPageControl&>(*Control()); }

    void ShowActive() {
        const QSignalBlocker block(Tabs());
        QWidget* page = View().WidgetOf(Pages().ActivePage());
        if (page && Tabs()->currentWidget() != page) {
            Tabs()->setCurrentWidget(page);
        }
    }

    void Chosen(int index) {
        auto* pages = &Pages();
        TTabSheet* chosen = nullptr;
        for (size_t i = 0; i < pages->PageCount(); ++i) {
            if (View().WidgetOf(pages->Pages(i)) == Tabs()->widget(index)) {
                chosen = pages->Pages(i);
            }
        }
        if (chosen && chosen != pages->ActivePage()) {
            View().Act([pages, chosen] { pages->UserSelectPage(chosen); });
        }
        if (Control()) {
            ShowActive(); // a refused change puts the old page back
        }
    }
};

} // namespace

std::unique_ptr<Adapter> MakePageAdapter(FormView& view, TControl& control, QWidget* parent) {
    if (auto* pages = dynamic_cast<TPageControl*>(&control)) {
        return std::make_unique<PageControlAdapter>(view, *pages, parent);
    }
    if (auto* page = dynamic_cast<TTabSheet*>(&control)) {
        return std::make_unique<TabSheetAdapter>(view, *page, parent);
    }
    return nullptr;
}

} // namespace oca::qt
