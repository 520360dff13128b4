#pragma once

#include "../appserver/server_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"
#include "register/Cli_oca0080a.h"

#include <memory>
#include <string>

/// The register screen shown against a real server, its first filter left without
/// confirming; Load does what the filter's confirmation does.
class RegisterScreenTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        SetUi(&ui);
        Host().serverPort = port;
        Host().unattendedPassword = oca::access::DemoPassword;
        Host().serverToken = token;
        Host().branch = "0001";
        Host().activeModule = 30;
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
        screen = std::make_unique<TfrmParecerOcorrAtend>();
        frmParecerOcorrAtend = screen.get();
        screen->DoCreate();
        screen->Show();
    }
    void TearDown() override {
        if (frmFiltroOcorAte) {
            Application->Release(frmFiltroOcorAte);
        }
        screen.reset();
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        Host() = HostContext();
        SetUi(nullptr);
        ServerTest::TearDown();
    }
    // Both loads of the filter's confirmation, then the state behaviour.
    void Load(const std::string& branches) {
        screen->cdsMovOcorr->SetData(screen->netOcorAtend->Call(
            "GetMovOcorr",
            {Variant(branches), Variant(""), Variant(""), Variant("T"), Variant(""), Variant("T"),
             Variant(EncodeDate(2026, 1, 1)), Variant(EncodeDate(2026, 12, 31)), Variant(""),
             Variant("T"), Variant(""), Variant(""), Variant("")}));
        screen->cdsParamFilial->SetData(
            screen->netOcorAtend->Call("GetParamFilial", {Variant(branches), Variant("")}));
        screen->dtsPadraoStateChange(nullptr);
    }

    ScriptedUiDriver ui;
    std::unique_ptr<TfrmParecerOcorrAtend> screen;
};

/// The register screen loaded with branch 0001's occurrences, its queries on the company
/// database, for the editing and confirming tests.
class LoadedScreenTest : public RegisterScreenTest {
protected:
    void SetUp() override {
        RegisterScreenTest::SetUp();
        companyDb = oca::db::Database::Open(url);
        TADOIBQuery::SetDefaultDatabase(companyDb.get());
        Load("|0001|");
    }
    void TearDown() override {
        TADOIBQuery::SetDefaultDatabase(nullptr);
        RegisterScreenTest::TearDown();
    }
    TField& Rec(const char* name) { return screen->cdsMovOcorr->FieldByName(name); }
    /// The error messages shown since the journal was last taken.
    std::vector<std::string> Errors() {
        std::vector<std::string> out;
        for (const std::string& line : ui.TakeJournal()) {
            if (line.rfind("error: ", 0) == 0) {
                out.push_back(line.substr(7));
            }
        }
        return out;
    }
    std::unique_ptr<oca::db::Database> companyDb;
};
