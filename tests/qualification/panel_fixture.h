#pragma once

// The qualification panel shown against a real server on the scenario company, October
// and November 2026 computed, the server's calendar on 15/11/2026.
#include "../appserver/server_fixture.h"

#include "appserver/qualification.h"
#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/host/host_context.h"
#include "framework/ui/scripted_ui_driver.h"
#include "qualification/Cli_oca0081a.h"
#include "register/Cli_oca0080a.h"

#include <gmock/gmock.h>

class Panel : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        {
            auto db = oca::db::Database::Open(url);
            for (const int month : {202610, 202611}) {
                oca::server::Requalify(*db, month, "", nullptr);
            }
        }
        oca::server::SetServerClock([] { return EncodeDate(2026, 11, 15); });
        SetUi(&ui);
        Host().serverPort = port;
        Host().unattendedPassword = oca::access::DemoPassword;
        Host().serverToken = token;
        Host().branch = "0001";
        Host().configDir = (std::filesystem::temp_directory_path() /
                            ("oca_painel_" + std::to_string(::getpid()) + "_" + CurrentTestName()))
                               .string();
        companyDb = oca::db::Database::Open(url);
        TADOIBQuery::SetDefaultDatabase(companyDb.get());
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
        ModuleRegistry::Instance().RegisterModule("OCA0081A", QualificationFormResources());
        panel = Application->CreateForm<TfrmQualifForn>();
        panel->Show();
    }
    void TearDown() override {
        for (TForm* form :
             std::initializer_list<TForm*>{frmFiltroOcorAte, frmParecerOcorrAtend, frmQualifForn}) {
            if (form) {
                Application->Release(form);
            }
        }
        bostCriado = false;
        ModuleRegistry::Instance().UnregisterModule("OCA0081A");
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        TADOIBQuery::SetDefaultDatabase(nullptr);
        std::filesystem::remove_all(Host().configDir);
        Host() = HostContext();
        oca::server::SetServerClock(nullptr);
        SetUi(nullptr);
        ServerTest::TearDown();
    }
    /// "code class score trend month occurrences receipts" of every row of the list.
    std::vector<std::string> List() {
        std::vector<std::string> rows;
        TClientDataSet& cds = *panel->cdsFornecedores;
        for (int row = 1; row <= static_cast<int>(cds.RecordCount()); ++row) {
            std::string line;
            for (const char* field : {"CDFORNECED", "IDCLASSIF", "VRNOTA", "TENDENCIA", "MESREF",
                                      "QTOCORR", "QTRECEBTO"}) {
                line += (line.empty() ? "" : " ") + cds.DisplayTextAt(row, cds.FieldByName(field));
            }
            rows.push_back(line);
        }
        return rows;
    }
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
    TfrmQualifForn* panel = nullptr;
};
