#pragma once

#include "apps/host_options.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

class QMdiArea;
class QMenu;

namespace oca::qt {
class QtUiDriver;
}

namespace oca::desktop {

/// The module's entry points as the host finds them in the loaded library.
struct ModuleEntry {
    void* handle = nullptr;
    std::string caption; ///< what the Módulos menu calls it
    void (*Initialize)() = nullptr;
    void (*Finalize)() = nullptr;
    void (*IniProc)() = nullptr;
    /// What the module has to tell the operator as the desktop opens ("3 ações vencidas"),
    /// asked of the server once signed in; null when it has nothing to say.
    const char* (*StatusText)() = nullptr;
};

/// Loads the module with dlopen and finds its entry points; throws std::runtime_error
/// naming the file and the reason.
ModuleEntry LoadModule(const std::string& path);
/// Frees the forms the modules made, then unloads them, last loaded first: their statics
/// go while the framework's are still there, and nothing of them runs after.
void UnloadModules(std::vector<ModuleEntry>& modules);

/// The desktop: a multi-document main window with an entry per module under Módulos and
/// a status bar with the session. The modules' screens open as its document windows.
class MainWindow : public QMainWindow {
public:
    MainWindow(const HostOptions& options, const std::vector<ModuleEntry>& modules);
    ~MainWindow() override;

    QMdiArea* Area() const { return area_; }
    /// What the first module's menu entry does: its start procedure.
    void OpenOccurrences();
    /// The start procedure of module `index`.
    void OpenModule(size_t index);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    /// The Janela menu: the arrangements, then every open window (the active one checked).
    void FillWindowMenu(QMenu& menu);
    /// Lado a lado: every open window within the workspace.
    void TileWindows();
    void BuildStatusBar(const HostOptions& options);
    /// What the modules have to tell the operator as the desktop opens, first in the bar.
    void ShowModulesNews();
    void PlaceWindow();
    void SavePlace() const;
    QString SettingsKey() const;

    std::vector<ModuleEntry> modules_;
    QMdiArea* area_;
    std::unique_ptr<oca::qt::QtUiDriver> driver_;
};

} // namespace oca::desktop
