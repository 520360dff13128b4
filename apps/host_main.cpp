// oca-host: the desktop host. Loads the module, shows the main window and runs it.
#include "apps/host_options.h"
#include "apps/main_window.h"
#include "apps/sign_in.h"
#include "database/database.h"
#include "database/pg_database.h"
#include "framework/data/query.h"
#include "framework/host/host_context.h"
#include "qt/icons.h"
#include "qt/snapshot.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <iostream>
#include <memory>

namespace {

std::string DefaultModulePath(const char* argv0) {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", error);
    if (error) {
        exe = std::filesystem::absolute(argv0);
    }
    // Installed from the packages the modules stand in lib/oca; in a build tree, in lib.
    const auto lib = exe.parent_path().parent_path() / "lib";
    const auto installed = lib / "oca" / "libOCA0080A.so";
    return (std::filesystem::exists(installed, error) ? installed : lib / "libOCA0080A.so")
        .string();
}

// The qualification and treatment modules, those installed beside the occurrence module.
std::vector<std::string> DefaultMoreModules(const std::string& first) {
    std::vector<std::string> found;
    for (const char* name : {"libOCA0081A.so", "libOCA0082A.so"}) {
        const auto module = std::filesystem::path(first).parent_path() / name;
        std::error_code error;
        if (std::filesystem::exists(module, error)) {
            found.push_back(module.string());
        }
    }
    return found;
}

void Fail(const std::string& text) {
    std::cerr << text << "\n";
    QMessageBox::critical(nullptr, QStringLiteral("Atendimento"), QString::fromStdString(text));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    oca::qt::ApplyDesktopLook();
    QApplication::setWindowIcon(oca::qt::ApplicationIcon());
    oca::desktop::HostOptions options;
    try {
        options = oca::desktop::ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n" << oca::desktop::HostUsage();
        return 2;
    }
    if (options.modulePath.empty()) {
        options.modulePath = DefaultModulePath(argv[0]);
        if (options.moreModules.empty()) {
            options.moreModules = DefaultMoreModules(options.modulePath);
        }
    }
    HostContext& host = Host();
    host.operatorCode = options.operatorCode;
    host.operatorName = options.operatorName;
    host.branch = options.branch;
    host.activeModule = options.module;
    host.perBranch = options.perBranch;
    host.serverHost = options.serverHost;
    host.serverPort = options.serverPort;
    host.serverToken = options.token;
    host.serverTls = options.tls;
    host.serverCaFile = options.caFile;
    host.serverSilenceSeconds = options.serverSilenceSeconds;
    host.databaseUrl = options.databaseUrl;

    std::unique_ptr<oca::db::Database> db;
    if (options.databaseUrl.empty()) {
        Fail("O banco de dados da empresa não foi informado (--db URL ou [banco] url=).");
        return 1;
    }
    try {
        db = oca::db::Database::Open(options.databaseUrl);
    } catch (const std::exception& e) {
        Fail("Não foi possível abrir o banco de dados " +
             oca::db::WithoutPassword(options.databaseUrl) + ":\n" + e.what());
        return 1;
    }
    TADOIBQuery::SetDefaultDatabase(db.get());

    std::vector<oca::desktop::ModuleEntry> modules;
    try {
        modules.push_back(oca::desktop::LoadModule(options.modulePath));
        for (const std::string& path : options.moreModules) {
            modules.push_back(oca::desktop::LoadModule(path));
        }
    } catch (const std::exception& e) {
        oca::desktop::UnloadModules(modules);
        Fail(e.what());
        return 1;
    }
    if (!oca::desktop::SignInAtStart(options)) {
        oca::desktop::UnloadModules(modules);
        TADOIBQuery::SetDefaultDatabase(nullptr);
        return 1;
    }
    // The desktop shows the operator the server signed in, whatever the options said.
    options.operatorCode = host.operatorCode;
    options.operatorName = host.operatorName;
    int code = 0;
    {
        oca::desktop::MainWindow window(options, modules);
        window.show();
        if (options.openAtStart) {
            QTimer::singleShot(0, &window, [&window] { window.OpenOccurrences(); });
        }
        QTimer closer;
        if (options.exitAfterMs > 0) {
            // Dialogs first (the filter is modal), then the desktop itself.
            QObject::connect(&closer, &QTimer::timeout, &window, [&window] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    modal->close();
                } else {
                    window.close();
                }
            });
            closer.start(options.exitAfterMs);
        }
        code = QApplication::exec();
    }
    oca::desktop::SignOut();
    oca::desktop::UnloadModules(modules);
    TADOIBQuery::SetDefaultDatabase(nullptr);
    return code;
}
