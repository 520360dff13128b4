#include "apps/main_window.h"

#include "framework/controls/application.h"
#include "framework/controls/form.h"
#include "framework/host/host_context.h"
#include "framework/host/module_package.h"
#include "framework/ui/ui_driver.h"
#include "qt/qt_support.h"
#include "qt/qt_ui_driver.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

#include <dlfcn.h>
#include <stdexcept>

namespace oca::desktop {

using oca::qt::Q;

ModuleEntry LoadModule(const std::string& path) {
    ModuleEntry entry;
    entry.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!entry.handle) {
        const char* reason = ::dlerror();
        throw std::runtime_error("Não foi possível carregar o módulo " + path + ":\n" +
                                 (reason ? reason : "motivo desconhecido"));
    }
    const auto find = [&](const char* name) {
        void* symbol = ::dlsym(entry.handle, name);
        if (!symbol) {
            throw std::runtime_error("O módulo " + path + " não exporta " + name + ".");
        }
        return reinterpret_cast<void (*)()>(symbol);
    };
    entry.Initialize = find("Initialize");
    entry.Finalize = find("Finalize");
    entry.IniProc = find("IniProc");
    // A module may name itself; the occurrence module, the first, is named by the host.
    if (auto caption = reinterpret_cast<ModuleTextEntry>(::dlsym(entry.handle, "ModuleCaption"))) {
        entry.caption = caption();
    }
    entry.StatusText = reinterpret_cast<ModuleTextEntry>(::dlsym(entry.handle, "ModuleStatusText"));
    return entry;
}

MainWindow::MainWindow(const HostOptions& options, const std::vector<ModuleEntry>& modules)
    : modules_(modules), area_(new QMdiArea(this)) {
    setObjectName("principal");
    setWindowTitle(QStringLiteral("Atendimento — Gestão de Ocorrências"));
    area_->setObjectName("areaDocumentos");
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setBackground(QColor(96, 112, 136));
    setCentralWidget(area_);
    driver_ = std::make_unique<oca::qt::QtUiDriver>(area_);
    SetUi(driver_.get());
    BuildMenus();
    BuildStatusBar(options);
    PlaceWindow();
    for (const ModuleEntry& module : modules_) {
        module.Initialize();
    }
    ShowModulesNews();
}

void MainWindow::ShowModulesNews() {
    for (const ModuleEntry& module : modules_) {
        const char* text = module.StatusText ? module.StatusText() : nullptr;
        if (text && *text) {
            auto* label = new QLabel(Q(text), this);
            label->setObjectName("lblAviso");
            label->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
            label->setContentsMargins(6, 0, 6, 0);
            statusBar()->insertPermanentWidget(0, label);
        }
    }
}

QString MainWindow::SettingsKey() const {
    return QStringLiteral("janela/operador_%1/geometria").arg(Q(Host().operatorCode));
}

// As the operator left it last time; the first time, most of the screen it opens on,
// centred, at whatever scale the screen has.
void MainWindow::PlaceWindow() {
    QSettings settings(Q(ConfigDir()) + QStringLiteral("/desktop.ini"), QSettings::IniFormat);
    const QByteArray saved = settings.value(SettingsKey()).toByteArray();
    if (!saved.isEmpty() && restoreGeometry(saved)) {
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(1024, 720);
        return;
    }
    const QRect available = screen->availableGeometry();
    resize(std::min(1280, available.width() * 9 / 10), std::min(860, available.height() * 9 / 10));
    move(available.center() - QPoint(width() / 2, height() / 2));
}

void MainWindow::SavePlace() const {
    QSettings settings(Q(ConfigDir()) + QStringLiteral("/desktop.ini"), QSettings::IniFormat);
    settings.setValue(SettingsKey(), saveGeometry());
}

MainWindow::~MainWindow() {
    SetUi(nullptr);
}

void MainWindow::BuildMenus() {
    QMenu* modules = menuBar()->addMenu(QStringLiteral("&Módulos"));
    for (size_t i = 0; i < modules_.size(); ++i) {
        const QString caption = modules_[i].caption.empty()
                                    ? QStringLiteral("&Ocorrências de Atendimento")
                                    : QStringLiteral("&") + Q(modules_[i].caption);
        QAction* open = modules->addAction(caption);
        open->setObjectName(i == 0 ? QStringLiteral("acaoOcorrencias")
                                   : QStringLiteral("acaoModulo%1").arg(i + 1));
        connect(open, &QAction::triggered, this, [this, i] { OpenModule(i); });
    }
    modules->addSeparator();
    QAction* quit = modules->addAction(QStringLiteral("&Sair"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->setObjectName(QStringLiteral("menuJanela"));
    // Listed afresh each time it opens: the windows come and go with the screens.
    connect(windows, &QMenu::aboutToShow, this, [this, windows] { FillWindowMenu(*windows); });
    FillWindowMenu(*windows);
    // Moving between the open windows from the keyboard, as in every multi-window desktop.
    auto* next = new QAction(QStringLiteral("Próxima janela"), this);
    next->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+F6")), QKeySequence(QStringLiteral("Ctrl+Tab"))});
    next->setShortcutContext(Qt::ApplicationShortcut);
    connect(next, &QAction::triggered, area_, &QMdiArea::activateNextSubWindow);
    auto* previous = new QAction(QStringLiteral("Janela anterior"), this);
    previous->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+F6")),
                            QKeySequence(QStringLiteral("Ctrl+Shift+Tab"))});
    previous->setShortcutContext(Qt::ApplicationShortcut);
    connect(previous, &QAction::triggered, area_, &QMdiArea::activatePreviousSubWindow);
    addAction(next);
    addAction(previous);
}

// Qt's own tiling gives each window a grid cell and lets the wider ones pass the area's
// edge: the windows go side by side when each fits its share of the width, else one above
// the other, always within the workspace.
void MainWindow::TileWindows() {
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* window : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (window->isVisible()) {
            open << window;
        }
    }
    if (open.isEmpty()) {
        return;
    }
    const QRect space = area_->viewport()->rect();
    const int n = static_cast<int>(open.size());
    bool sideBySide = true;
    for (QMdiSubWindow* window : open) {
        sideBySide = sideBySide && window->minimumSizeHint().width() <= space.width() / n;
    }
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* window = open[i];
        if (window->isMinimized() || window->isMaximized()) {
            window->showNormal();
        }
        const QRect cell = sideBySide ? QRect(space.x() + i * space.width() / n, space.y(),
                                              space.width() / n, space.height())
                                      : QRect(space.x(), space.y() + i * space.height() / n,
                                              space.width(), space.height() / n);
        window->setMinimumSize(0, 0);
        window->setGeometry(cell);
    }
}

void MainWindow::FillWindowMenu(QMenu& menu) {
    menu.clear();
    connect(menu.addAction(QStringLiteral("&Cascata")), &QAction::triggered, area_,
            &QMdiArea::cascadeSubWindows);
    connect(menu.addAction(QStringLiteral("&Lado a lado")), &QAction::triggered, this,
            &MainWindow::TileWindows);
    const QList<QMdiSubWindow*> open = area_->subWindowList(QMdiArea::CreationOrder);
    int shown = 0;
    for (QMdiSubWindow* window : open) {
        if (!window->isVisible()) {
            continue;
        }
        if (shown == 0) {
            menu.addSeparator();
        }
        ++shown;
        QAction* pick = menu.addAction(
            (shown < 10 ? QStringLiteral("&%1 ").arg(shown) : QString()) + window->windowTitle());
        pick->setCheckable(true);
        pick->setChecked(window == area_->activeSubWindow());
        connect(pick, &QAction::triggered, this, [this, window] {
            if (window->isMinimized()) {
                window->showNormal();
            }
            area_->setActiveSubWindow(window);
        });
    }
}

void MainWindow::BuildStatusBar(const HostOptions& options) {
    const auto add = [this](const QString& text, const char* name) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setContentsMargins(6, 0, 6, 0);
        statusBar()->addPermanentWidget(label);
    };
    add(QStringLiteral("Operador: %1 - %2").arg(Q(options.operatorCode), Q(options.operatorName)),
        "lblOperador");
    add(QStringLiteral("Filial: %1%2")
            .arg(Q(options.branch), options.perBranch ? QString() : QStringLiteral(" (todas)")),
        "lblFilial");
    add(QStringLiteral("Módulo: %1").arg(options.module), "lblModulo");
    add(QStringLiteral("Servidor: %1:%2").arg(Q(options.serverHost)).arg(options.serverPort),
        "lblServidor");
}

void UnloadModules(std::vector<ModuleEntry>& modules) {
    Application->FreeForms();
    for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
        if (it->handle) {
            ::dlclose(it->handle);
        }
    }
    modules.clear();
}

void MainWindow::OpenOccurrences() {
    OpenModule(0);
}

void MainWindow::OpenModule(size_t index) {
    if (index < modules_.size()) {
        modules_[index].IniProc();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Each document window is asked first; one that stays keeps the desktop open.
    area_->closeAllSubWindows();
    for (size_t i = 0; i < Application->ComponentCount(); ++i) {
        const auto* form = dynamic_cast<const TForm*>(Application->Components(i));
        if (form && form->Showing() && form->FormStyle() == fsMDIChild) {
            event->ignore();
            return;
        }
    }
    SavePlace();
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) {
        it->Finalize();
    }
    event->accept();
}

} // namespace oca::desktop
