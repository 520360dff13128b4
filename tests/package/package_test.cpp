// The module as the host uses it: its exports, its units' initialisation, the start
// procedure and the creators.
#include "../appserver/server_fixture.h"

#include "filter/Cli_oca0080b.h"
#include "package/Pkg_oca0080a.h"
#include "register/Cli_oca0080a.h"

#include "framework/controls/application.h"
#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"

#include <dlfcn.h>
#include <gmock/gmock.h>

namespace {

class Package : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        SetUi(&ui);
        Host().serverPort = port;
        Host().unattendedPassword = oca::access::DemoPassword;
        Host().serverToken = token;
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
    }
    void TearDown() override {
        if (frmFiltroOcorAte) {
            Application->Release(frmFiltroOcorAte);
        }
        if (frmParecerOcorrAtend) {
            Application->Release(frmParecerOcorrAtend);
        }
        bostCriado = false;
        Host() = HostContext();
        SetUi(nullptr);
        ServerTest::TearDown();
    }
    int Screens() {
        int n = 0;
        for (size_t i = 0; i < Application->ComponentCount(); ++i) {
            n += dynamic_cast<TfrmParecerOcorrAtend*>(Application->Components(i)) != nullptr;
        }
        return n;
    }
    int FilterShowings() {
        int n = 0;
        for (const std::string& line : ui.Journal()) {
            n += line == "modal: frmFiltroOcorAte";
        }
        return n;
    }
    ScriptedUiDriver ui;
};

TEST(PackageExports, TheHostFindsEveryEntryPointAndGlobalByItsCName) {
    void* self = dlopen(OCA_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(self, nullptr) << dlerror();
    for (const char* name : {"Initialize", "Finalize", "GetPackageInfoTable", "IniProc",
                             "CriaParecerOcorrAtend", "CriaFiltroOcorr", "frmParecerOcorrAtend",
                             "bostCriado", "frmFiltroOcorAte", "OCA0080A_Version"}) {
        EXPECT_NE(dlsym(self, name), nullptr) << name;
    }
    dlclose(self);
    EXPECT_STREQ(OCA0080A_Version(), "4.05.076 pt-BR");
    const PackageInfoTable* info = GetPackageInfoTable();
    ASSERT_EQ(info->unitCount, 4);
    EXPECT_STREQ(info->units[0].unitName, "Pkg_oca0080a");
    EXPECT_STREQ(info->units[2].unitName, "Cli_oca0080a");
    EXPECT_STREQ(info->requiredPackages[0], "_lmb");
}

TEST_F(Package, InitialisingTwiceRunsTheRegisterUnitsBodyOnce) {
    Initialize();
    bostCriado = true;
    Initialize();
    EXPECT_TRUE(bostCriado) << "the second initialisation runs no body";
    Finalize();
    Finalize();
    bostCriado = true;
    Initialize();
    EXPECT_FALSE(bostCriado) << "after finalising, a new first initialisation runs it again";
    Finalize();
}

TEST_F(Package, TheStartProcedureOpensOneScreenAndAClosedOneIsBuiltAgain) {
    IniProc();
    IniProc();
    EXPECT_EQ(Screens(), 1);
    EXPECT_TRUE(bostCriado);
    EXPECT_EQ(FilterShowings(), 1) << "only the first activation runs the filter";
    Application->Dispatch([] { frmParecerOcorrAtend->Close(); });
    EXPECT_FALSE(bostCriado);
    EXPECT_EQ(Screens(), 0) << "closing frees the screen";
    EXPECT_EQ(frmParecerOcorrAtend, nullptr);
    CriaParecerOcorrAtend();
    EXPECT_EQ(Screens(), 1);
    EXPECT_EQ(FilterShowings(), 2) << "a fresh screen runs the filter again";
    EXPECT_THAT(ui.Journal(), ::testing::Contains("cursor: hourglass"));
    EXPECT_EQ(Application->Cursor(), crDefault);
}

TEST_F(Package, TheFilterCreatorReusesItsInstance) {
    IniProc();
    TfrmFiltroOcorAte* first = frmFiltroOcorAte;
    ASSERT_NE(first, nullptr);
    CriaFiltroOcorr();
    EXPECT_EQ(frmFiltroOcorAte, first);
    EXPECT_EQ(FilterShowings(), 2);
}

// A register screen opened anew creates a filter of its own at its first activation; the
// older filter, freed later, must not take the newer one's global with it.
TEST_F(Package, FreeingAnOlderScreenLeavesTheNewerOnesGlobal) {
    IniProc();
    TfrmFiltroOcorAte* older = frmFiltroOcorAte;
    TfrmParecerOcorrAtend* olderScreen = frmParecerOcorrAtend;
    ASSERT_NE(older, nullptr);
    frmFiltroOcorAte = Application->CreateForm<TfrmFiltroOcorAte>();
    TfrmFiltroOcorAte* newer = frmFiltroOcorAte;
    Application->Release(older);
    EXPECT_EQ(frmFiltroOcorAte, newer);
    frmParecerOcorrAtend = Application->CreateForm<TfrmParecerOcorrAtend>();
    TfrmParecerOcorrAtend* newerScreen = frmParecerOcorrAtend;
    Application->Release(olderScreen);
    EXPECT_EQ(frmParecerOcorrAtend, newerScreen);
}

TEST_F(Package, AScreenThatCannotBeBuiltLeavesTheFlagClearAndIsTriedAgain) {
    ModuleRegistry::Instance().UnregisterModule("OCA0080A");
    IniProc();
    EXPECT_FALSE(bostCriado);
    EXPECT_THAT(ui.Journal().back(),
                ::testing::HasSubstr("definição de formulário não registrada"));
    ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
    IniProc();
    EXPECT_TRUE(bostCriado);
}

} // namespace
