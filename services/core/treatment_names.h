#pragma once

#include <string>

/// The names a person reads for a treatment's situation (A Aberta, N Em análise, E Em ação,
/// F Encerrada, C Cancelada) and an action's (A Aberta, R Realizada, C Cancelada), as the
/// server's messages and the screens write them; an unknown code names itself.
std::string TreatmentSituationName(const std::string& code);
std::string ActionSituationName(const std::string& code);
