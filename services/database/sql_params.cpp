#include "database/sql_params.h"

#include <cctype>
#include <unordered_map>

namespace oca::db {

namespace {

bool IsNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

bool IsSqlNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Index just past the quoted run that starts at `i` (quote doubled to escape).
size_t SkipSqlQuoted(std::string_view sql, size_t i) {
    const char quote = sql[i];
    for (size_t j = i + 1; j < sql.size(); ++j) {
        if (sql[j] == quote) {
            if (j + 1 < sql.size() && sql[j + 1] == quote) {
                ++j;
                continue;
            }
            return j + 1;
        }
    }
    return sql.size();
}

std::string UpperSqlName(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

ParsedSql ParseNamedParameters(std::string_view sql, std::string_view placeholderPrefix) {
    ParsedSql out;
    out.text.reserve(sql.size());
    std::unordered_map<std::string, size_t> numbers; // a long key list stays linear
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        size_t end = i + 1;
        if (c == '\'' || c == '"') {
            end = SkipSqlQuoted(sql, i);
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            end = sql.find('\n', i);
            end = end == std::string_view::npos ? sql.size() : end;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            end = sql.find("*/", i + 2);
            end = end == std::string_view::npos ? sql.size() : end + 2;
        } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
            end = i + 2;
        } else if (c == ':' && i + 1 < sql.size() && IsNameStart(sql[i + 1])) {
            end = i + 2;
            while (end < sql.size() && IsSqlNameChar(sql[end])) {
                ++end;
            }
            const std::string name = UpperSqlName(sql.substr(i + 1, end - i - 1));
            const auto [at, added] = numbers.emplace(name, out.names.size());
            const size_t number = at->second;
            if (added) {
                out.names.push_back(name);
            }
            out.text += placeholderPrefix;
            out.text += std::to_string(number + 1);
            i = end;
            continue;
        }
        out.text.append(sql.substr(i, end - i));
        i = end;
    }
    return out;
}

} // namespace oca::db
