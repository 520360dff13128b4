// The module's entry: registration of its form resources on load, the package
// information with its units' initialisation, the start procedure and the creators.
#include "package/Pkg_oca0080a.h"

#include "core/selection.h"
#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/forms/form_loader.h"
#include "framework/host/module_entries.h"
#include "register/Cli_oca0080a.h"

#include <dlfcn.h>
#include <type_traits>

namespace {

constexpr const char* kModuleName = "OCA0080A";

// The version as a section of its own, readable from the file without loading it:
// readelf -p .oca_version libOCA0080A.so
__attribute__((section(".oca_version"), used)) const char kVersionNote[] =
    "OCA0080A 4.05.076 pt-BR";

std::string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OCA0080A_Version), &info) && info.dli_fname) {
        return info.dli_fname;
    }
    return "libOCA0080A.so";
}

// Every unit counts its initialisations; only the first runs its body.
int g_pkgCounter = 0, g_filterCounter = 0, g_registerCounter = 0, g_startCounter = 0;

void PkgInit() {
    --g_pkgCounter;
}
void PkgFinalize() {
    ++g_pkgCounter;
}
void FilterInit() {
    --g_filterCounter;
}
void FilterFinalize() {
    ++g_filterCounter;
}
void RegisterInit() {
    if (g_registerCounter-- == 0) {
        bostCriado = false;
    }
}
void RegisterFinalize() {
    ++g_registerCounter;
}
void StartInit() {
    --g_startCounter;
}
void StartFinalize() {
    ++g_startCounter;
}

const PackageUnitEntry kUnits[] = {{"Pkg_oca0080a", PkgInit, PkgFinalize},
                                   {"Cli_oca0080b", FilterInit, FilterFinalize},
                                   {"Cli_oca0080a", RegisterInit, RegisterFinalize},
                                   {"SysInit", StartInit, StartFinalize}};
const char* const kRequires[] = {"_lmb", "_rtl", "_qr", "_lib", "_ger", "_frm", "_db", "_vcl"};
const PackageInfoTable kInfo = {4, kUnits, 8, kRequires};

// Registration when the library is loaded, withdrawal when it is unloaded.
__attribute__((constructor)) void ModuleAttach() {
    RegisterBaseScreens();
    try {
        ModuleRegistry::Instance().RegisterModule(
            kModuleName, LoadResourceModule(ModulePath(), ModuleFormResources()));
    } catch (const std::exception&) {
        // A damaged language file must not stop the load: the module's own resources serve.
        ModuleRegistry::Instance().RegisterModule(kModuleName, ModuleFormResources());
    }
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

void CriaParecerOcorrAtend() {
    Application->Dispatch([] {
        TCursorGuard wait(crHourGlass);
        if (!bostCriado) {
            frmParecerOcorrAtend = Application->CreateForm<TfrmParecerOcorrAtend>();
            bostCriado = true;
        }
        frmParecerOcorrAtend->Show();
        frmParecerOcorrAtend->SetWindowState(wsNormal);
    });
}

void IniProc() {
    CriaParecerOcorrAtend();
}

void AbreOcorrenciasFornecedor(const char* supplier, int yearMonth) {
    const std::string code = supplier ? supplier : "";
    Application->Dispatch([code, yearMonth] {
        TCursorGuard wait(crHourGlass);
        if (!bostCriado) {
            frmParecerOcorrAtend = Application->CreateForm<TfrmParecerOcorrAtend>();
            bostCriado = true;
        }
        const int year = yearMonth / 100, month = yearMonth % 100;
        const TDateTime first = EncodeDate(year, month, 1);
        const TDateTime last = TDateTime(
            EncodeDate(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1).Value - 1);
        const bool chosen =
            frmParecerOcorrAtend->FilterBy([code, first, last](TfrmFiltroOcorAte& f) {
                // The load is the drill-down's; the screen keeps the person's own choices.
                const TfrmFiltroOcorAte::Choices mine = f.Chosen();
                struct GiveBack {
                    TfrmFiltroOcorAte& f;
                    const TfrmFiltroOcorAte::Choices& mine;
                    ~GiveBack() { f.Choose(mine); }
                } giveBack{f, mine};
                for (TRadioButton* all :
                     {f.rbtFiliTodos, f.rbtGOcorTodos, f.rbtSegTodos, f.rbtAtendTodos}) {
                    all->SetChecked(true);
                }
                f.chkCliente->SetChecked(false);
                f.chkProspect->SetChecked(false);
                f.chkForn->SetChecked(true);
                f.rbtCPFLista->SetChecked(true);
                f.selCPF = EncodeSelection({"F" + code});
                f.depPerIni->SetDate(first);
                f.depPerFin->SetDate(last);
                f.sbtConfirmaClick(nullptr);
            });
        if (chosen) {
            frmParecerOcorrAtend->Show();
            frmParecerOcorrAtend->SetWindowState(wsNormal);
        }
    });
}

const char* OCA0080A_Version() {
    return kVersionNote + 9; // "4.05.076 pt-BR" without the module name
}
}

static_assert(std::is_same_v<decltype(&AbreOcorrenciasFornecedor), entries::SupplierMonth>);
