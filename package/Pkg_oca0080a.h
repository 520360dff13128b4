#pragma once

#include "framework/host/module_package.h"

/// The occurrence module's own exports, beside every module's (module_package.h).
extern "C" {

/// Creates the register screen once and shows it.
void CriaParecerOcorrAtend();
/// Opens the register screen on the occurrences of supplier `supplier` dated in month
/// `yearMonth` (202611), of every branch, through the filter screen's criteria and confirm
/// (what the supplier qualification panel's drill-down asks for).
void AbreOcorrenciasFornecedor(const char* supplier, int yearMonth);
/// "4.05.076", the module's file and product version (pt-BR).
const char* OCA0080A_Version();
}
