// The treatment module's entry: its form registered on load, the package table with its
// units' initialisation, the start procedure, the creator, the opening on one occurrence
// (asked for by the occurrence register) and the version.
#include "treatment/Pkg_oca0082a.h"
#include "framework/controls/application.h"
#include "framework/forms/form_loader.h"
#include "framework/host/frm_padrao.h"
#include "framework/host/host_context.h"
#include "framework/host/module_entries.h"
#include "framework/net/net_connection.h"
#include "treatment/Anx_oca0082a.h"
#include "treatment/Cli_oca0082a.h"

#include <string>
#include <type_traits>

namespace {

constexpr const char* kModuleName = "OCA0082A";

// readelf -p .oca_version libOCA0082A.so
__attribute__((section(".oca_version"), used)) const char kVersionNote[] =
    "OCA0082A 1.00.000 pt-BR";

int g_pkgCounter = 0, g_screenCounter = 0, g_startCounter = 0;

void PkgInit() {
    --g_pkgCounter;
}
void PkgFinalize() {
    ++g_pkgCounter;
}
void ScreenInit() {
    --g_screenCounter;
}
void ScreenFinalize() {
    ++g_screenCounter;
}
void StartInit() {
    --g_startCounter;
}
void StartFinalize() {
    ++g_startCounter;
}

const PackageUnitEntry kUnits[] = {{"Pkg_oca0082a", PkgInit, PkgFinalize},
                                   {"Cli_oca0082a", ScreenInit, ScreenFinalize},
                                   {"SysInit", StartInit, StartFinalize}};
const char* const kRequires[] = {"_lmb", "_rtl", "_lib", "_ger", "_frm", "_db", "_vcl"};
const PackageInfoTable kInfo = {3, kUnits, 7, kRequires};

__attribute__((constructor)) void ModuleAttach() {
    RegisterBaseScreens();
    ModuleRegistry::Instance().RegisterModule(kModuleName, TreatmentFormResources());
}

__attribute__((destructor)) void ModuleDetach() {
    ModuleRegistry::Instance().UnregisterModule(kModuleName);
}

TfrmTratOcorr& Screen() {
    if (!frmTratOcorr) {
        frmTratOcorr = Application->CreateForm<TfrmTratOcorr>();
    }
    frmTratOcorr->Show();
    frmTratOcorr->SetWindowState(wsNormal);
    return *frmTratOcorr;
}

std::string OverdueNotice() {
    TNetConnection net;
    net.SetServerName("OCA0080A.rdmOcorAtendimento");
    UseHostServer(net);
    try {
        const Variant count = net.Call("GetAcoesVencidas");
        if (count.IsError() || count.IsNull() || count.AsInteger() <= 0) {
            return "";
        }
        const std::int64_t n = count.AsInteger();
        return std::to_string(n) + (n == 1 ? " ação vencida" : " ações vencidas");
    } catch (const Exception&) {
        return ""; // the desktop opens the same; the screen will say what failed
    }
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

/// One screen at a time: a second start brings the first forward.
void CriaTratOcorr() {
    Application->Dispatch([] {
        TCursorGuard wait(crHourGlass);
        Screen();
    });
}

void IniProc() {
    CriaTratOcorr();
}

/// The treatment of one occurrence, on the form page: the register's Operação → Tratamento.
void AbreTratamento(const char* branch, const char* number) {
    const std::string b = branch, n = number;
    Application->Dispatch([b, n] {
        TCursorGuard wait(crHourGlass);
        Screen().OpenOccurrence(b, n);
    });
}

/// The files attached to one occurrence, in their window: the register's and the treatment
/// screen's Operação → Anexos.
void AbreAnexos(const char* branch, const char* number) {
    const std::string b = branch, n = number;
    Application->Dispatch([b, n] {
        TfrmAnexos form;
        form.ShowOccurrence(b, n);
        form.ShowModal();
    });
}

/// Operação → Relatório da ocorrência...: the occurrence's report as a PDF.
void RelatorioOcorrencia(const char* branch, const char* number) {
    const std::string b = branch, n = number;
    Application->Dispatch([b, n] {
        TNetConnection net;
        net.SetServerName("OCA0080A.rdmOcorAtendimento");
        UseHostServer(net);
        WriteOccurrenceReport(net, b, n);
    });
}

/// The operator's own actions past their date, for the host's status bar as it opens
/// ("3 ações vencidas"); "" when none, or when the server cannot say.
const char* ModuleStatusText() {
    static std::string text;
    text = OverdueNotice();
    return text.c_str();
}

/// The name the host lists the module under.
const char* ModuleCaption() {
    return "Tratamento de Ocorrências";
}

const char* OCA0082A_Version() {
    return kVersionNote + 9;
}
}

static_assert(std::is_same_v<decltype(&AbreTratamento), entries::ForOccurrence>);
static_assert(std::is_same_v<decltype(&AbreAnexos), entries::ForOccurrence>);
static_assert(std::is_same_v<decltype(&RelatorioOcorrencia), entries::ForOccurrence>);
