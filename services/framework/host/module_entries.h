#pragma once

#include <dlfcn.h>

/// The entries the modules publish to one another, found by name while the program runs
/// so that a module works (without that step) where the other is not installed. Each
/// name and its type are written here once; the publishing module checks its definition
/// against the type.
namespace entries {

/// Opens the register on one supplier's occurrences of a month (202611).
using SupplierMonth = void (*)(const char* supplier, int yearMonth);
inline constexpr char kOpenSupplierOccurrences[] = "AbreOcorrenciasFornecedor";

/// Opens a window on one occurrence, by its branch and number.
using ForOccurrence = void (*)(const char* branch, const char* number);
inline constexpr char kOpenTreatment[] = "AbreTratamento";
inline constexpr char kOpenAttachments[] = "AbreAnexos";
inline constexpr char kOccurrenceReport[] = "RelatorioOcorrencia";

/// The entry of a loaded module with that name, or nullptr when none is loaded.
template <typename Entry> Entry Find(const char* name) {
    return reinterpret_cast<Entry>(::dlsym(RTLD_DEFAULT, name));
}

} // namespace entries
