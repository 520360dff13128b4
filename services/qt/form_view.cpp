#include "qt/form_view.h"

#include "core/text.h"
#include "framework/controls/application.h"
#include "framework/controls/form.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "qt/adapter.h"
#include "qt/menu_bar.h"
#include "qt/qt_support.h"

#include <QApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace oca::qt {

/// The form itself: its caption is the window's title, its active control the focus.
class FormAdapter : public Adapter {
public:
    FormAdapter(FormView& view, TForm& form, QWidget* client, QWidget* root)
        : Adapter(view, form, client), root_(root) {}
    void SyncBounds() override {} // the window's layout places the client area

    void Sync(TProperty property) override {
        TForm* form = View().Form();
        if (!form) {
            return;
        }
        const bool all = property == TProperty::All;
        if (all || property == TProperty::Caption) {
            root_->setWindowTitle(Q(form->Caption()));
        }
        if (all || property == TProperty::Color) {
            QPalette palette = Widget()->palette();
            palette.setColor(QPalette::Window, ToQColor(form->Color()));
            Widget()->setPalette(palette);
            Widget()->setAutoFillBackground(true);
        }
        if (property == TProperty::ActiveControl) {
            View().SyncFocus();
        }
        if ((property == TProperty::Visible || property == TProperty::ModalResult) &&
            View().OnShowingChanged) {
            View().OnShowingChanged(form->Showing());
        }
        if (property == TProperty::WindowState && View().OnWindowStateChanged) {
            View().OnWindowStateChanged(form->WindowState());
        }
    }

private:
    QPointer<QWidget> root_;
};

class FormView::EventFilter : public QObject {
public:
    explicit EventFilter(FormView& view) : view_(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        return view_.FilterEvent(watched, event);
    }

private:
    FormView& view_;
};

FormView::FormView(TForm& form) : form_(&form), filter_(std::make_unique<EventFilter>(*this)) {
    root_ = new QWidget;
    root_->setObjectName(Q(form.Name()) + "_window");
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        scale_ = std::max(1.0, screen->logicalDotsPerInchY() / 96.0);
    }
    auto* layout = new QVBoxLayout(root_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (form.Menu()) {
        menuBar_ = std::make_unique<MenuBar>(*this, *form.Menu(), root_);
        layout->setMenuBar(menuBar_->Widget());
    }
    client_ = new QWidget(root_);
    layout->addWidget(client_);

    auto formAdapter = std::make_unique<FormAdapter>(*this, form, client_, root_);
    byControl_[&form] = formAdapter.get();
    byWidget_[client_] = formAdapter.get();
    adapters_.push_back(std::move(formAdapter));
    Build(form, client_);
    for (const auto& adapter : adapters_) {
        adapter->Sync(TProperty::All);
    }
    for (const auto& adapter : adapters_) {
        adapter->Finish();
    }
    // The designed size is the least the window gives; a larger one goes to the model,
    // whose aligned controls grow with it.
    client_->setMinimumSize(ClientExtent());
    client_->installEventFilter(filter_.get());
    client_->setAcceptDrops(true);
}

FormView::~FormView() {
    // Adapters first: they detach from controls that may outlive the view.
    adapters_.clear();
    menuBar_.reset();
    delete root_.data();
}

void FormView::Build(TWinControl& parent, QWidget* host) {
    for (TControl* child : parent.Children()) {
        if (dynamic_cast<TForm*>(child)) {
            continue; // a form parented to another keeps its own window
        }
        std::unique_ptr<Adapter> adapter = MakeAdapter(*this, *child, host);
        Adapter* raw = adapter.get();
        byControl_[child] = raw;
        adapters_.push_back(std::move(adapter));
        Watch(raw->Widget(), raw);
        if (raw->FocusWidget() != raw->Widget()) {
            Watch(raw->FocusWidget(), raw);
        }
        if (auto* win = dynamic_cast<TWinControl*>(child)) {
            raw->FocusWidget()->setFocusPolicy(win->TabStop() ? Qt::StrongFocus : Qt::NoFocus);
            Build(*win, raw->ChildHost());
        }
    }
}

void FormView::Watch(QWidget* widget, Adapter* adapter) {
    byWidget_[widget] = adapter;
    widget->installEventFilter(filter_.get());
}

QSize FormView::ClientExtent() const {
    int right = 0, bottom = 0;
    for (const TControl* child : form_->Children()) {
        right = std::max(right, child->Left() + child->Width());
        bottom = std::max(bottom, child->Top() + child->Height());
    }
    return {Scale(right), Scale(bottom)};
}

int FormView::Unscale(int pixels) const {
    return static_cast<int>(pixels / scale_ + 0.5);
}

int FormView::Scale(int units) const {
    return static_cast<int>(units * scale_ + 0.5);
}

QWidget* FormView::WidgetOf(const TControl* control) const {
    const Adapter* adapter = AdapterOf(control);
    return adapter ? adapter->Widget() : nullptr;
}

QWidget* FormView::WidgetNamed(std::string_view name) const {
    for (const auto& adapter : adapters_) {
        if (adapter->Control() && SameText(adapter->Control()->Name(), name)) {
            return adapter->Widget();
        }
    }
    return nullptr;
}

Adapter* FormView::AdapterOf(const TControl* control) const {
    const auto it = byControl_.find(control);
    return it == byControl_.end() ? nullptr : it->second;
}

Adapter* FormView::AdapterOfWidget(const QObject* widget) const {
    return byWidget_.value(widget, nullptr);
}

QMenuBar* FormView::MenuBarWidget() const {
    return menuBar_ ? menuBar_->Widget() : nullptr;
}

void FormView::ControlGone(Adapter& adapter) {
    for (auto it = byControl_.begin(); it != byControl_.end(); ++it) {
        if (it->second == &adapter) {
            byControl_.erase(it);
            break;
        }
    }
    if (adapters_.empty() || adapters_.front().get() != &adapter) {
        return;
    }
    // The form itself is being freed: nothing of it may be touched from now on, and
    // the window goes once the current event is over.
    form_ = nullptr;
    for (const auto& other : adapters_) {
        if (other.get() != &adapter && other->Control()) {
            other->ControlGone();
        }
    }
    if (menuBar_) {
        menuBar_->FormGone();
    }
    if (OnFormGone) {
        QTimer::singleShot(0, root_, [gone = OnFormGone] { gone(); });
    }
}

void FormView::Act(const std::function<void()>& action) {
    if (!form_) {
        return;
    }
    const QWidget* before = QApplication::focusWidget();
    Application->Dispatch(action);
    if (menuBar_ && form_) {
        menuBar_->Refresh();
    }
    // An action that brought another window forward (a drill-down opening a screen)
    // leaves the focus there.
    const QWidget* now = QApplication::focusWidget();
    if (now && now != before && !root_->isAncestorOf(now)) {
        return;
    }
    SyncFocus();
}

void FormView::SyncFocus() {
    if (!form_ || syncingFocus_) {
        return;
    }
    TWinControl* active = form_->ActiveControl();
    Adapter* adapter = active ? AdapterOf(active) : nullptr;
    QWidget* target = adapter ? adapter->FocusWidget() : nullptr;
    if (!target || !target->isVisible() || QApplication::focusWidget() == target) {
        return;
    }
    syncingFocus_ = true;
    // Focus moved by Tab shows as keyboard focus: Qt then draws the focus of a radio
    // button or a check box, and selects the text of an edit, so that typing replaces it.
    target->setFocus(byKeyboard_ ? Qt::TabFocusReason : Qt::OtherFocusReason);
    syncingFocus_ = false;
    if (byKeyboard_) {
        SelectFilledMask(target);
    }
    byKeyboard_ = false;
}

// Qt puts the caret of a masked edit on its first blank when it is tabbed into; one that
// is filled (a date, an hour) is selected whole instead, as any other edit is.
void FormView::SelectFilledMask(QWidget* target) {
    auto* line = qobject_cast<QLineEdit*>(target);
    if (!line || line->inputMask().isEmpty() || !line->hasAcceptableInput()) {
        return;
    }
    QPointer<QLineEdit> guarded = line;
    QTimer::singleShot(0, line, [guarded] {
        if (guarded && guarded->hasFocus()) {
            guarded->selectAll();
        }
    });
}

void FormView::FocusLater(Adapter& adapter) {
    QPointer<QWidget> widget = adapter.FocusWidget();
    QMetaObject::invokeMethod(
        root_,
        [this, widget] {
            // The click may have been undone meanwhile (a refused exit moved it back).
            if (!widget || !form_ || QApplication::focusWidget() != widget) {
                return;
            }
            Adapter* adapter = AdapterOfWidget(widget);
            auto* win = adapter ? dynamic_cast<TWinControl*>(adapter->Control()) : nullptr;
            if (!win || form_->ActiveControl() == win) {
                return;
            }
            Act([win] { win->UserFocus(); });
        },
        Qt::QueuedConnection);
}

bool FormView::FilterEvent(QObject* watched, QEvent* event) {
    if (!form_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::FocusIn: {
        const auto& focus = static_cast<QFocusEvent&>(*event);
        Adapter* adapter = AdapterOfWidget(watched);
        if (!syncingFocus_ && adapter && focus.reason() == Qt::MouseFocusReason &&
            adapter->FocusByMouse()) {
            FocusLater(*adapter);
        }
        return false;
    }
    case QEvent::KeyPress:
        return FormKey(watched, static_cast<QKeyEvent&>(*event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return FilesDropped(static_cast<QDropEvent&>(*event));
    case QEvent::Resize:
        ReportSize(watched);
        return false;
    default:
        return false;
    }
}

// Files dragged from the system's file manager onto a form that takes them.
bool FormView::FilesDropped(QDropEvent& event) {
    if (!form_->OnDropFiles || !event.mimeData() || !event.mimeData()->hasUrls()) {
        return false;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : event.mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(S(url.toLocalFile()));
        }
    }
    if (paths.empty()) {
        return false;
    }
    event.acceptProposedAction();
    if (event.type() == QEvent::Drop) {
        TForm* form = form_;
        // After the drop has ended: the form may show dialogs, which a drag must not hold.
        QTimer::singleShot(0, root_, [this, form, paths] {
            if (form_ == form) {
                form->UserDropFiles(paths);
            }
        });
    }
    return true;
}

// The form's client area and the pages are sized by Qt (the window, the tab widget):
// their size goes to the model, which lays out the aligned and anchored controls.
void FormView::ReportSize(QObject* watched) {
    Adapter* adapter = AdapterOfWidget(watched);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!adapter || !widget || adapter->Widget() != widget || !adapter->Control()) {
        return;
    }
    TControl& control = *adapter->Control();
    if (&control != form_ && !dynamic_cast<TTabSheet*>(&control)) {
        return;
    }
    const int width = Unscale(widget->width()), height = Unscale(widget->height());
    control.SetBounds(&control == form_ ? control.Left() : 0, &control == form_ ? control.Top() : 0,
                      width, height);
}

bool FormView::FormKey(QObject* watched, QKeyEvent& event) {
    const int key = event.key();
    const auto modifiers = event.modifiers();
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !(modifiers & Qt::ControlModifier)) {
        const bool forward = key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
        byKeyboard_ = true;
        Act([this, forward] { form_->SelectNext(forward); });
        byKeyboard_ = false;
        return true;
    }
    // Enter presses the form's default button, except where it starts a new line; Ctrl+Enter
    // anywhere, as it confirms on the register's toolbar.
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const auto plain = modifiers & ~Qt::KeypadModifier;
    const bool multiLine = qobject_cast<QTextEdit*>(watched) ||
                           qobject_cast<QPlainTextEdit*>(watched) ||
                           (watched && watched->parent() &&
                            (qobject_cast<QTextEdit*>(watched->parent()) ||
                             qobject_cast<QPlainTextEdit*>(watched->parent())));
    if (enter && form_->DefaultButton() &&
        ((plain == Qt::NoModifier && !multiLine) || plain == Qt::ControlModifier)) {
        Act([this] { form_->UserEnter(); });
        return true;
    }
    const std::string shortCut = ShortCutText(key, modifiers);
    if (!shortCut.empty() && form_->Menu() && form_->Menu()->Items().FindShortCut(shortCut)) {
        Act([this, shortCut] { form_->UserShortCut(shortCut); });
        return true;
    }
    Adapter* adapter = AdapterOfWidget(watched);
    return adapter && adapter->Control() && adapter->KeyPress(event);
}

} // namespace oca::qt
