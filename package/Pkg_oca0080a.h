#pragma once

/// The module's exported entry points, with C names, as the host loads them. None lets
/// an exception out: errors are shown through the application object.
extern "C" {

/// One unit of the package: its initialisation and finalisation procedures.
struct PackageUnitEntry {
    const char* unitName;
    void (*Init)();
    void (*Finalize)();
};

/// What the host's loader walks: the units to initialise, in order, and the packages
/// the module requires.
struct PackageInfoTable {
    int unitCount;
    const PackageUnitEntry* units;
    int requireCount;
    const char* const* requiredPackages;
};

/// Runs the units' initialisation in table order.
void Initialize();
/// Runs the units' finalisation in reverse order.
void Finalize();
const PackageInfoTable* GetPackageInfoTable();
/// The start procedure: opens the register screen.
void IniProc();
/// Creates the register screen once and shows it.
void CriaParecerOcorrAtend();
/// Opens the register screen on the occurrences of supplier `supplier` dated in month
/// `yearMonth` (202611), of every branch, through the filter screen's criteria and confirm
/// (what the supplier qualification panel's drill-down asks for).
void AbreOcorrenciasFornecedor(const char* supplier, int yearMonth);
/// "4.05.076", the module's file and product version (pt-BR).
const char* OCA0080A_Version();
}

/// What a module's Initialize and Finalize do with its table: every unit's
/// initialisation in order, every unit's finalisation in reverse order.
inline void InitializeUnits(const PackageInfoTable& table) {
    for (int i = 0; i < table.unitCount; ++i) {
        table.units[i].Init();
    }
}
inline void FinalizeUnits(const PackageInfoTable& table) {
    for (int i = table.unitCount - 1; i >= 0; --i) {
        table.units[i].Finalize();
    }
}
