#pragma once

#include "framework/host/module_package.h"

/// The qualification module's own exports, beside every module's (module_package.h).
extern "C" {
/// Creates the supplier qualification panel once and shows it.
void CriaQualifForn();
/// "1.00.000", the module's file and product version (pt-BR).
const char* OCA0081A_Version();
}
