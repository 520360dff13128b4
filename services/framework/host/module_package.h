#pragma once

/// What every module library exports, with C names, as the host loads it. None lets an
/// exception out: errors are shown through the application object.
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
/// The start procedure: opens the module's first screen.
void IniProc();
/// The name the host lists the module under (optional: the first module is named by
/// the host).
const char* ModuleCaption();
/// A line for the host's status bar, empty for none (optional).
const char* ModuleStatusText();
}

/// A module's optional text export (ModuleCaption, ModuleStatusText).
using ModuleTextEntry = const char* (*)();

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
