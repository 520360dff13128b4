#pragma once

#include "framework/host/module_package.h"

/// The treatment module's own exports, beside every module's (module_package.h); the
/// openings on one occurrence are typed in module_entries.h.
extern "C" {
/// Creates the treatment screen once and shows it.
void CriaTratOcorr();
void AbreTratamento(const char* branch, const char* number);
void AbreAnexos(const char* branch, const char* number);
void RelatorioOcorrencia(const char* branch, const char* number);
/// "1.00.000", the module's file and product version (pt-BR).
const char* OCA0082A_Version();
}
