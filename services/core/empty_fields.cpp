#include "core/empty_fields.h"

namespace {
constexpr std::string_view kMark = "\xC2\xBF";
} // namespace

std::string EncodeEmptyFields(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list.append(kMark).append(name).append(kMark);
    }
    return list;
}

std::set<std::string> DecodeEmptyFields(std::string_view list) {
    std::set<std::string> names;
    size_t pos = 0;
    while ((pos = list.find(kMark, pos)) != std::string_view::npos) {
        const size_t start = pos + kMark.size();
        const size_t end = list.find(kMark, start);
        if (end == std::string_view::npos) {
            break;
        }
        names.emplace(list.substr(start, end - start));
        pos = end + kMark.size();
    }
    return names;
}
