#include "core/selection.h"

std::string EncodeSelection(const std::vector<std::string>& keys) {
    if (keys.empty()) {
        return {};
    }
    std::string out = "|";
    for (const std::string& key : keys) {
        out += key;
        out += '|';
    }
    return out;
}

std::vector<std::string> DecodeSelection(std::string_view selection) {
    std::vector<std::string> keys;
    size_t start = 0;
    while (start < selection.size()) {
        size_t end = selection.find('|', start);
        if (end == std::string_view::npos) {
            end = selection.size();
        }
        if (end > start) {
            keys.emplace_back(selection.substr(start, end - start));
        }
        start = end + 1;
    }
    return keys;
}

bool SelectionHas(std::string_view selection, std::string_view key) {
    if (key.empty()) {
        return false;
    }
    const std::string wrapped = "|" + std::string(key) + "|";
    return selection.find(wrapped) != std::string_view::npos;
}
