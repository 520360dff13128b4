#pragma once

// The treatment screen against a real server on the scenario company, signed in as 001 in
// branch 0001.
#include "../appserver/server_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/host/host_context.h"
#include "framework/ui/scripted_ui_driver.h"
#include "register/Cli_oca0080a.h"
#include "treatment/Cli_oca0082a.h"

#include <gmock/gmock.h>

#include <cmath>

class TreatmentScreen : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        SetUi(&ui);
        Host().serverPort = port;
        Host().unattendedPassword = oca::access::DemoPassword;
        Host().serverToken = token;
        Host().branch = "0001";
        Host().configDir = (std::filesystem::temp_directory_path() /
                            ("oca_trat_" + std::to_string(::getpid()) + "_" + CurrentTestName()))
                               .string();
        companyDb = oca::db::Database::Open(url);
        TADOIBQuery::SetDefaultDatabase(companyDb.get());
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
        ModuleRegistry::Instance().RegisterModule("OCA0082A", TreatmentFormResources());
        screen = Application->CreateForm<TfrmTratOcorr>();
        frmTratOcorr = screen;
        screen->Show();
    }
    void TearDown() override {
        for (TForm* form :
             std::initializer_list<TForm*>{frmFiltroOcorAte, frmParecerOcorrAtend, frmTratOcorr}) {
            if (form) {
                Application->Release(form);
            }
        }
        bostCriado = false;
        ModuleRegistry::Instance().UnregisterModule("OCA0082A");
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        TADOIBQuery::SetDefaultDatabase(nullptr);
        std::filesystem::remove_all(Host().configDir);
        Host() = HostContext();
        SetUi(nullptr);
        ServerTest::TearDown();
    }
    /// "branch/number situation" of every row of the list.
    std::vector<std::string> List() {
        std::vector<std::string> rows;
        TClientDataSet& cds = *screen->cdsTratamentos;
        for (int row = 1; row <= static_cast<int>(cds.RecordCount()); ++row) {
            rows.push_back(cds.DisplayTextAt(row, cds.FieldByName("CDFILILANCMO")) + "/" +
                           cds.DisplayTextAt(row, cds.FieldByName("NROCORRMOV")).substr(8) + " " +
                           cds.DisplayTextAt(row, cds.FieldByName("IDSITUACAO")));
        }
        return rows;
    }
    /// What the screen said and asked since last taken: errors and questions.
    std::vector<std::string> Said() {
        std::vector<std::string> out;
        for (const std::string& line : ui.TakeJournal()) {
            if (line.rfind("error: ", 0) == 0 || line.rfind("confirm: ", 0) == 0) {
                out.push_back(line);
            }
        }
        return out;
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
    TDBEdit& Edit(const char* name) {
        auto* edit = dynamic_cast<TDBEdit*>(screen->FindComponent(name));
        EXPECT_NE(edit, nullptr) << name;
        return *edit;
    }
    TDBDateEditPlus& Date(const char* name) {
        auto* edit = dynamic_cast<TDBDateEditPlus*>(screen->FindComponent(name));
        EXPECT_NE(edit, nullptr) << name;
        return *edit;
    }
    static std::string DateText(int fromToday) {
        return FormatDateTime("dd/mm/yyyy", TDateTime(std::floor(Now().Value) + fromToday));
    }

    ScriptedUiDriver ui;
    std::unique_ptr<oca::db::Database> companyDb;
    TfrmTratOcorr* screen = nullptr;
};
