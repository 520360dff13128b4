#pragma once

#include "apps/host_options.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QMdiArea;

namespace oca::qt {
class QtUiDriver;
}

namespace oca::desktop {

/// The module's entry points as the host finds them in the loaded library.
struct ModuleEntry {
    void* handle = nullptr;
    void (*Initialize)() = nullptr;
    void (*Finalize)() = nullptr;
    void (*IniProc)() = nullptr;
};

/// Loads the module with dlopen and finds its entry points; throws std::runtime_error
/// naming the file and the reason.
ModuleEntry LoadModule(const std::string& path);
/// Frees the forms the module made, then unloads it: its statics go while the
/// framework's are still there, and nothing of it runs after.
void UnloadModule(ModuleEntry& module);

/// The desktop: a multi-document main window with the module's menu entry and a status
/// bar with the session. The register screen opens as one of its document windows.
class MainWindow : public QMainWindow {
public:
    MainWindow(const HostOptions& options, const ModuleEntry& module);
    ~MainWindow() override;

    QMdiArea* Area() const { return area_; }
    /// What the menu entry does: the module's start procedure.
    void OpenOccurrences();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusBar(const HostOptions& options);
    void PlaceWindow();
    void SavePlace() const;
    QString SettingsKey() const;

    ModuleEntry module_;
    QMdiArea* area_;
    std::unique_ptr<oca::qt::QtUiDriver> driver_;
};

} // namespace oca::desktop
