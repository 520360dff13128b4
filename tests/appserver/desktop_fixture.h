#pragma once

// A desktop module's screens against a real server on the scenario company: the host signed
// in as 001 in branch 0001, the company database open for the screens' own queries, the
// occurrence module's and the others' form definitions registered; after each test every
// form of theirs released and the host as it was.
#include "server_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"
#include "register/Cli_oca0080a.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class DesktopTest : public ServerTest {
protected:
    using Module = std::pair<std::string, std::vector<FormResource>>;

    /// `tag` names the test's own settings folder; `modules` are registered beside the
    /// occurrence module.
    void SetUpDesktop(const std::string& tag, std::vector<Module> modules) {
        SetUi(&ui);
        Host().serverPort = port;
        Host().unattendedPassword = oca::access::DemoPassword;
        Host().serverToken = token;
        Host().branch = "0001";
        Host().configDir = (std::filesystem::temp_directory_path() /
                            (tag + "_" + std::to_string(::getpid()) + "_" + CurrentTestName()))
                               .string();
        companyDb = oca::db::Database::Open(url);
        TADOIBQuery::SetDefaultDatabase(companyDb.get());
        modules.insert(modules.begin(), Module{"OCA0080A", ModuleFormResources()});
        for (const auto& [name, forms] : modules) {
            ModuleRegistry::Instance().RegisterModule(name, forms);
            registered_.insert(registered_.begin(), name);
        }
    }
    /// Releases the occurrence module's forms and `others`, then undoes SetUpDesktop.
    void TearDownDesktop(std::initializer_list<TForm*> others) {
        std::vector<TForm*> forms = {frmFiltroOcorAte, frmParecerOcorrAtend};
        forms.insert(forms.end(), others.begin(), others.end());
        for (TForm* form : forms) {
            if (form) {
                Application->Release(form);
            }
        }
        bostCriado = false;
        for (const std::string& name : registered_) {
            ModuleRegistry::Instance().UnregisterModule(name);
        }
        registered_.clear();
        TADOIBQuery::SetDefaultDatabase(nullptr);
        std::filesystem::remove_all(Host().configDir);
        Host() = HostContext();
        SetUi(nullptr);
    }

    /// The errors shown since the journal was last taken (which takes it).
    std::vector<std::string> Errors() {
        std::vector<std::string> out;
        for (const std::string& line : ui.TakeJournal()) {
            if (line.rfind("error: ", 0) == 0) {
                out.push_back(line.substr(7));
            }
        }
        return out;
    }

    ScriptedUiDriver ui;
    std::unique_ptr<oca::db::Database> companyDb;

private:
    std::vector<std::string> registered_; ///< last registered first
};
