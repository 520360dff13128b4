#include "qt/qt_ui_driver.h"
#include "qt/snapshot.h"

#include <QDir>
#include <QFileDialog>

#include "framework/controls/application.h"
#include "framework/controls/form.h"
#include "framework/data/datasource.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"
#include "qt/search_dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace oca::qt {

namespace {

/// Closing the window (its title-bar button, Alt+F4, Esc on a dialog) is a request
/// to the form, which may refuse it; the window follows the form's showing.
class CloseRequest : public QObject {
public:
    explicit CloseRequest(FormView& view) : view_(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange) {
            ReportWindowState(static_cast<QWidget*>(watched)->windowState());
            return false;
        }
        if (event->type() != QEvent::Close) {
            return false;
        }
        TForm* form = view_.Form();
        if (form && form->Showing()) {
            event->ignore();
            view_.Act([form] { form->Close(); });
            return true;
        }
        return false;
    }

private:
    // A person minimised, maximised or restored the window: the form learns it.
    void ReportWindowState(Qt::WindowStates state) {
        TForm* form = view_.Form();
        if (!form) {
            return;
        }
        const TWindowState model = state & Qt::WindowMinimized   ? wsMinimized
                                   : state & Qt::WindowMaximized ? wsMaximized
                                                                 : wsNormal;
        form->SetWindowState(model);
    }
    FormView& view_;
};

void ApplyWindowState(QWidget* frame, TWindowState state) {
    if (!frame) {
        return;
    }
    const Qt::WindowStates shown =
        frame->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized);
    const Qt::WindowStates wanted = state == wsMinimized   ? Qt::WindowMinimized
                                    : state == wsMaximized ? Qt::WindowMaximized
                                                           : Qt::WindowNoState;
    if (shown == wanted) {
        return;
    }
    if (!frame->isVisible()) {
        frame->setWindowState(wanted);
    } else if (state == wsMinimized) {
        frame->showMinimized();
    } else if (state == wsMaximized) {
        frame->showMaximized();
    } else {
        frame->showNormal();
    }
}

class FormDialog : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override {
        close(); // the form decides, through the close request
    }
};

} // namespace

/// A notice that paints at once and does not block: it is shown before a long call
/// that runs on this thread.
class ProgressNotice {
public:
    ProgressNotice() {
        widget_ = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        widget_->setObjectName("avisoProgresso");
        widget_->setAttribute(Qt::WA_ShowWithoutActivating);
        auto* layout = new QVBoxLayout(widget_);
        layout->setContentsMargins(18, 14, 18, 14);
        label_ = new QLabel(widget_);
        label_->setAlignment(Qt::AlignCenter);
        auto* bar = new QProgressBar(widget_);
        bar->setRange(0, 0);
        bar->setTextVisible(false);
        stop_ = new QPushButton(QStringLiteral("Interromper"), widget_);
        stop_->setObjectName("interromperCarga");
        stop_->hide();
        QObject::connect(stop_, &QPushButton::clicked, [this] { stopAsked_ = true; });
        layout->addWidget(label_);
        layout->addWidget(bar);
        layout->addWidget(stop_, 0, Qt::AlignCenter);
        widget_->setStyleSheet(
            "#avisoProgresso { background: #fdfdf5; border: 1px solid #8a8a8a; }");
    }
    ~ProgressNotice() { delete widget_.data(); }

    void Show(QWidget* over, const QString& text) {
        stopAsked_ = false;
        stop_->hide();
        title_ = text.isEmpty() ? QStringLiteral("Aguarde...") : text;
        label_->setText(title_);
        widget_->adjustSize();
        widget_->resize(std::max(widget_->width(), 320), widget_->height());
        const QRect area = over ? over->frameGeometry() : widget_->screen()->availableGeometry();
        widget_->move(area.center() - widget_->rect().center());
        widget_->show();
        widget_->raise();
        widget_->repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void Hide() { widget_->hide(); }
    QWidget* Widget() const { return widget_; }

    /// Shows how far a long call got, with a button to stop it, and lets that button (and
    /// nothing else the person could click meanwhile) be pressed. False once it was.
    bool Step(const QString& text) {
        if (!widget_->isVisible()) {
            return true; // no notice: a call nobody watches is not offered to stop
        }
        label_->setText(title_ + "\n" + text);
        if (!stop_->isVisible()) {
            stop_->show();
            widget_->adjustSize();
            widget_->setAttribute(Qt::WA_ShowWithoutActivating, false);
        }
        OnlyTheNotice filter(widget_);
        qApp->installEventFilter(&filter);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        qApp->removeEventFilter(&filter);
        return !stopAsked_;
    }

private:
    // While a call runs on the GUI thread, a person's input may reach the notice only: a
    // click elsewhere would run the screen's behaviour in the middle of the call.
    class OnlyTheNotice : public QObject {
    public:
        explicit OnlyTheNotice(QWidget* notice) : notice_(notice) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Wheel:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
            case QEvent::Close: {
                auto* widget = qobject_cast<QWidget*>(watched);
                return !(widget && notice_ && (widget == notice_ || notice_->isAncestorOf(widget)));
            }
            default:
                return false;
            }
        }

    private:
        QPointer<QWidget> notice_;
    };

    QPointer<QWidget> widget_;
    QLabel* label_;
    QPushButton* stop_;
    QString title_;
    bool stopAsked_ = false;
};

struct QtUiDriver::Window {
    std::unique_ptr<FormView> view;
    QPointer<QWidget> frame; ///< the dialog, the document window or the top-level window
    std::unique_ptr<CloseRequest> closeRequest;
    QEventLoop* loop = nullptr;
};

QtUiDriver::QtUiDriver(QMdiArea* mdiArea) : mdi_(mdiArea) {
    if (!mdi_) {
        return;
    }
    // A person bringing another document window forward activates its form; the
    // window system's own comings and goings (a dialog closing) change nothing.
    QObject::connect(mdi_, &QMdiArea::subWindowActivated, mdi_, [this](QMdiSubWindow* sub) {
        MergeMenus(sub);
        for (const auto& [form, window] : windows_) {
            TForm* model = window->view ? window->view->Form() : nullptr;
            if (sub && window->frame == sub && model && Application->ActiveForm() != model &&
                !showingForm_) {
                Application->Dispatch([model] { Application->ActivateForm(model); });
                return;
            }
        }
    });
}

// The active document's menus stand in the main window's menu bar, before its own last
// menu (Janela), as in MDI applications; the document's own bar hides meanwhile.
void QtUiDriver::MergeMenus(QMdiSubWindow* active) {
    auto* main = mdi_ ? qobject_cast<QMainWindow*>(mdi_->window()) : nullptr;
    if (!main) {
        return;
    }
    QMenuBar* bar = main->menuBar();
    for (const QPointer<QAction>& action : merged_) {
        if (action) {
            bar->removeAction(action);
        }
    }
    merged_.clear();
    if (mergedBar_) {
        mergedBar_->show();
        mergedBar_ = nullptr;
    }
    FormView* view = nullptr;
    for (const auto& [form, window] : windows_) {
        if (active && window->frame == active) {
            view = window->view.get();
        }
    }
    QMenuBar* own = view ? view->MenuBarWidget() : nullptr;
    if (!own) {
        return;
    }
    const QList<QAction*> mainActions = bar->actions();
    QAction* before = mainActions.isEmpty() ? nullptr : mainActions.back();
    for (QAction* action : own->actions()) {
        bar->insertAction(before, action);
        merged_.push_back(action);
    }
    own->hide();
    mergedBar_ = own;
}

QtUiDriver::~QtUiDriver() {
    HideProgress();
    SetCursor(crDefault);
    for (auto& [form, window] : windows_) {
        window->view.reset();
        delete window->frame.data();
    }
}

QWidget* QtUiDriver::DialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    return mdi_ ? mdi_->window() : nullptr;
}

void QtUiDriver::ShowError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erro"), Q(text), QMessageBox::Ok,
                    DialogParent());
    box.setObjectName("dialogoErro");
    box.exec();
}

void QtUiDriver::ShowWarning(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Aviso"), Q(text), QMessageBox::Ok,
                    DialogParent());
    box.setObjectName("dialogoAviso");
    box.exec();
}

bool QtUiDriver::Confirm(const std::string& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmação"), Q(text),
                    QMessageBox::Yes | QMessageBox::No, DialogParent());
    box.setObjectName("dialogoConfirmacao");
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Não"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

namespace {

bool HasRows(TDataSource& source) {
    TDataSet* ds = source.DataSet();
    return ds && ds->Active() && !ds->IsEmpty();
}

void ShowEmpty(QWidget* parent, const std::string& title, const std::string& emptyText) {
    QMessageBox box(QMessageBox::Information, Q(title),
                    Q(emptyText.empty() ? "Não há registros para pesquisar." : emptyText),
                    QMessageBox::Ok, parent);
    box.setObjectName("dialogoListaVazia");
    box.exec();
}

} // namespace

bool QtUiDriver::Pesquisar(TDataSource& source, const std::string& title,
                           const std::string& emptyText) {
    if (!HasRows(source)) {
        ShowEmpty(DialogParent(), title, emptyText);
        return false;
    }
    return RunSearchWindow(DialogParent(), source, title);
}

bool QtUiDriver::PesquisaLista(TDataSource& source, const std::string& keyField,
                               const std::string& title, const std::string& emptyText,
                               std::vector<std::string>& keys) {
    if (!HasRows(source)) {
        ShowEmpty(DialogParent(), title, emptyText);
        return false;
    }
    return RunListWindow(DialogParent(), source, keyField, title, keys);
}

QtUiDriver::Window& QtUiDriver::WindowOf(TForm& form, bool modal) {
    auto it = windows_.find(&form);
    if (it != windows_.end()) {
        return *it->second;
    }
    auto window = std::make_unique<Window>();
    Window* raw = window.get();
    window->view = std::make_unique<FormView>(form);
    FormView& view = *window->view;
    QWidget* root = view.Root();
    if (modal) {
        auto* dialog = new FormDialog(DialogParent());
        dialog->setObjectName(Q(form.Name()) + "_dialog");
        auto* layout = new QVBoxLayout(dialog);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addWidget(root);
        dialog->setWindowModality(Qt::ApplicationModal);
        window->frame = dialog;
    } else if (mdi_) {
        QMdiSubWindow* sub = mdi_->addSubWindow(root);
        sub->setObjectName(Q(form.Name()) + "_mdi");
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        window->frame = sub;
    } else {
        window->frame = root;
    }
    window->frame->setWindowTitle(Q(form.Caption()));
    QObject::connect(root, &QWidget::windowTitleChanged, window->frame,
                     [frame = window->frame](const QString& title) {
                         if (frame) {
                             frame->setWindowTitle(title);
                         }
                     });
    window->closeRequest = std::make_unique<CloseRequest>(view);
    window->frame->installEventFilter(window->closeRequest.get());
    view.OnShowingChanged = [raw](bool showing) {
        if (!showing) {
            if (raw->loop) {
                raw->loop->quit();
            } else if (raw->frame) {
                raw->frame->hide();
            }
        }
    };
    view.OnWindowStateChanged = [raw](TWindowState state) {
        ApplyWindowState(raw->frame, state);
    };
    ApplyWindowState(window->frame, form.WindowState());
    const TForm* key = &form;
    view.OnFormGone = [this, key] {
        Forget(key);
    };
    return *windows_.emplace(&form, std::move(window)).first->second;
}

void QtUiDriver::Forget(const TForm* form) {
    const auto it = windows_.find(form);
    if (it == windows_.end()) {
        return;
    }
    std::unique_ptr<Window> window = std::move(it->second);
    windows_.erase(it);
    if (window->loop) {
        window->loop->quit();
    }
    QWidget* frame = window->frame;
    window->view.reset();
    if (frame) {
        frame->deleteLater();
    }
}

FormView* QtUiDriver::ViewOf(const TForm& form) const {
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second->view.get();
}

TModalResult QtUiDriver::ShowModal(TForm& form) {
    Window& window = WindowOf(form, true);
    const TForm* key = &form;
    QEventLoop loop;
    window.loop = &loop;
    window.frame->setWindowTitle(Q(form.Caption()));
    window.frame->show();
    window.frame->raise();
    window.frame->activateWindow();
    window.view->SyncFocus();
    if (form.Showing()) {
        loop.exec();
    }
    // The form may have been freed inside the loop; its window is gone with it.
    const auto it = windows_.find(key);
    if (it != windows_.end()) {
        it->second->loop = nullptr;
        if (it->second->frame) {
            it->second->frame->hide();
        }
    }
    return mrNone;
}

void QtUiDriver::ShowForm(TForm& form) {
    Window& window = WindowOf(form, false);
    // The form activates itself once shown; the area's signal must not do it first.
    struct Flag {
        bool& f;
        ~Flag() { f = false; }
    } flag{showingForm_};
    showingForm_ = true;
    window.frame->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window.frame.data())) {
        sub->adjustSize();
        if (mdi_) {
            mdi_->setActiveSubWindow(sub);
        }
    }
    window.frame->raise();
    window.view->SyncFocus();
}

void QtUiDriver::ShowStatus(const std::string& text) {
    if (!mdi_) {
        return;
    }
    if (auto* window = qobject_cast<QMainWindow*>(mdi_->window())) {
        window->statusBar()->showMessage(Q(text));
    }
}

void QtUiDriver::ShowProgress(TComponent*, int, const std::string& text) {
    if (!progress_) {
        progress_ = std::make_unique<ProgressNotice>();
    }
    progress_->Show(DialogParent(), Q(text));
}

bool QtUiDriver::ProgressGoesOn(const std::string& text) {
    return !progress_ || progress_->Step(Q(text));
}

void QtUiDriver::HideProgress() {
    if (progress_) {
        progress_->Hide();
    }
}

void QtUiDriver::SetCursor(TCursor cursor) {
    const bool wait = cursor != crDefault;
    if (wait == waitCursor_) {
        return;
    }
    waitCursor_ = wait;
    if (wait) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool QtUiDriver::InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) {
    // Built rather than asked of the static helper, whose buttons would speak the system's
    // language instead of the desktop's.
    QInputDialog dialog(DialogParent());
    dialog.setWindowTitle(Q(caption));
    dialog.setLabelText(Q(prompt));
    dialog.setTextValue(Q(value));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    value = S(dialog.textValue());
    return true;
}

void QtUiDriver::ShowHelp(const std::string& helpFile, int context) {
    QMessageBox::information(DialogParent(), QStringLiteral("Ajuda"),
                             QStringLiteral("A ajuda desta tela (%1, tópico %2) não está "
                                            "instalada neste computador.")
                                 .arg(Q(helpFile))
                                 .arg(context));
}

std::optional<std::string> QtUiDriver::AskSaveFile(const std::string& title,
                                                   const std::string& suggested,
                                                   const std::string& filter) {
    const QString path = QFileDialog::getSaveFileName(
        DialogParent(), Q(title), QDir::home().filePath(Q(suggested)), Q(filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return S(path);
}

bool QtUiDriver::SaveImage(TControl& control, const std::string& path) {
    // As the person sees it, in its window; a control of a form not shown, off screen.
    const TForm* form = control.ParentForm();
    FormView* view = form ? ViewOf(*form) : nullptr;
    QWidget* widget = view ? view->WidgetOf(&control) : nullptr;
    return widget ? Picture(*widget).save(Q(path), "PNG") : WriteControlPicture(control, path);
}

} // namespace oca::qt
