// The qualification module's entry: its form registered on load, the package table with
// its units' initialisation, the start procedure, the creator and the version.
#include "qualification/Pkg_oca0081a.h"
#include "framework/controls/application.h"
#include "framework/forms/form_loader.h"
#include "framework/host/frm_padrao.h"
#include "qualification/Cli_oca0081a.h"

#include <dlfcn.h>

namespace {

constexpr const char* kModuleName = "OCA0081A";

// readelf -p .oca_version libOCA0081A.so
__attribute__((section(".oca_version"), used)) const char kVersionNote[] =
    "OCA0081A 1.00.000 pt-BR";

int g_pkgCounter = 0, g_panelCounter = 0, g_startCounter = 0;

void PkgInit() {
    --g_pkgCounter;
}
void PkgFinalize() {
    ++g_pkgCounter;
}
void PanelInit() {
    --g_panelCounter;
}
void PanelFinalize() {
    ++g_panelCounter;
}
void StartInit() {
    --g_startCounter;
}
void StartFinalize() {
    ++g_startCounter;
}

const PackageUnitEntry kUnits[] = {{"Pkg_oca0081a", PkgInit, PkgFinalize},
                                   {"Cli_oca0081a", PanelInit, PanelFinalize},
                                   {"SysInit", StartInit, StartFinalize}};
const char* const kRequires[] = {"_lmb", "_rtl", "_lib", "_ger", "_frm", "_db", "_vcl"};
const PackageInfoTable kInfo = {3, kUnits, 7, kRequires};

__attribute__((constructor)) void ModuleAttach() {
    RegisterBaseScreens();
    ModuleRegistry::Instance().RegisterModule(kModuleName, QualificationFormResources());
}

__attribute__((destructor)) void ModuleDetach() {
    ModuleRegistry::Instance().UnregisterModule(kModuleName);
}

} // namespace

extern "C" {

void Initialize() {
    InitializeUnits(kInfo);
}

void Finalize() {
    FinalizeUnits(kInfo);
}

const PackageInfoTable* GetPackageInfoTable() {
    return &kInfo;
}

/// One panel at a time: a second start brings the first forward.
void CriaQualifForn() {
    Application->Dispatch([] {
        TCursorGuard wait(crHourGlass);
        if (!frmQualifForn) {
            frmQualifForn = Application->CreateForm<TfrmQualifForn>();
        }
        frmQualifForn->Show();
        frmQualifForn->SetWindowState(wsNormal);
    });
}

void IniProc() {
    CriaQualifForn();
}

/// The name the host lists the module under.
const char* ModuleCaption() {
    return "Qualificação de Fornecedores";
}

const char* OCA0081A_Version() {
    return kVersionNote + 9;
}
}
