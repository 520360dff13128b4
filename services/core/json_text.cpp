// Reading a wire text's shape without reading its values: its depth, and the members of
// an object; and the ordinary parse, bounded.
#include "core/exceptions.h"
#include "core/packet_json.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

bool JsonDepthWithin(std::string_view text, int maxDepth) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) {
                return false;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

nlohmann::json ParseJsonText(std::string_view text) {
    if (!JsonDepthWithin(text, kMaxJsonDepth)) {
        throw EDataPacketError("JSON inválido: mais de " + std::to_string(kMaxJsonDepth) +
                               " níveis de listas e objetos");
    }
    try {
        return json::parse(text);
    } catch (const json::out_of_range&) {
        throw EDataPacketError("JSON inválido: número fora do intervalo representável");
    } catch (const json::exception&) {
        throw EDataPacketError("JSON inválido: erro de sintaxe");
    }
}

namespace {

size_t SkipSpace(std::string_view text, size_t i) {
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) {
        ++i;
    }
    return i;
}

// Index just past the string that opens at `i`, or npos.
size_t SkipString(std::string_view text, size_t i) {
    for (++i; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// Index just past the value that starts at `i`, or npos.
size_t SkipValue(std::string_view text, size_t i) {
    if (i >= text.size()) {
        return std::string_view::npos;
    }
    if (text[i] == '"') {
        return SkipString(text, i);
    }
    int depth = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            i = SkipString(text, i);
            if (i == std::string_view::npos) {
                return i;
            }
            --i;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (depth == 0) {
                return i;
            }
            if (--depth == 0) {
                return i + 1;
            }
        } else if (depth == 0 && (c == ',' || c == ' ' || c == '\n' || c == '\r' || c == '\t')) {
            return i;
        }
    }
    return depth == 0 ? i : std::string_view::npos;
}

} // namespace

bool SplitObjectMembers(std::string_view text,
                        std::vector<std::pair<std::string_view, std::string_view>>& members) {
    members.clear();
    size_t i = SkipSpace(text, 0);
    if (i >= text.size() || text[i] != '{') {
        return false;
    }
    i = SkipSpace(text, i + 1);
    if (i < text.size() && text[i] == '}') {
        return SkipSpace(text, i + 1) == text.size();
    }
    for (;;) {
        if (i >= text.size() || text[i] != '"') {
            return false;
        }
        const size_t nameEnd = SkipString(text, i);
        if (nameEnd == std::string_view::npos) {
            return false;
        }
        const std::string_view name = text.substr(i + 1, nameEnd - i - 2);
        i = SkipSpace(text, nameEnd);
        if (i >= text.size() || text[i] != ':') {
            return false;
        }
        const size_t start = SkipSpace(text, i + 1);
        const size_t end = SkipValue(text, start);
        if (end == std::string_view::npos || end == start) {
            return false;
        }
        members.emplace_back(name, text.substr(start, end - start));
        i = SkipSpace(text, end);
        if (i < text.size() && text[i] == ',') {
            i = SkipSpace(text, i + 1);
            continue;
        }
        return i < text.size() && text[i] == '}' && SkipSpace(text, i + 1) == text.size();
    }
}
