#include "core/treatment_names.h"

#include <map>

std::string TreatmentSituationName(const std::string& code) {
    static const std::map<std::string, std::string> names = {{"A", "Aberta"},
                                                             {"N", "Em análise"},
                                                             {"E", "Em ação"},
                                                             {"F", "Encerrada"},
                                                             {"C", "Cancelada"}};
    const auto it = names.find(code);
    return it == names.end() ? code : it->second;
}

std::string ActionSituationName(const std::string& code) {
    static const std::map<std::string, std::string> names = {
        {"A", "Aberta"}, {"R", "Realizada"}, {"C", "Cancelada"}};
    const auto it = names.find(code);
    return it == names.end() ? code : it->second;
}
