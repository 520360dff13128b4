#include "database/sqlite_custom_plan.h"

#include "database/sql_params.h"

#include <cctype>
#include <cstdio>

namespace oca::db {

std::vector<bool> FlagParameters(std::string_view sql, const std::vector<std::string>& names) {
    std::vector<bool> flags(names.size(), false);
    for (size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == '\'' || sql[i] == '"') {
            i = SkipSqlQuoted(sql, i) - 1;
            continue;
        }
        if (sql[i] != ':' || i + 1 >= sql.size() || !IsSqlNameChar(sql[i + 1]) ||
            (i > 0 && sql[i - 1] == ':')) {
            continue;
        }
        size_t end = i + 1;
        while (end < sql.size() && IsSqlNameChar(sql[end])) {
            ++end;
        }
        size_t next = end;
        while (next < sql.size() && std::isspace(static_cast<unsigned char>(sql[next]))) {
            ++next;
        }
        if (next >= sql.size() || sql[next] != '=') {
            continue;
        }
        ++next;
        while (next < sql.size() && std::isspace(static_cast<unsigned char>(sql[next]))) {
            ++next;
        }
        if (next < sql.size() && sql[next] == '\'') {
            const std::string name = UpperSqlName(sql.substr(i + 1, end - i - 1));
            for (size_t k = 0; k < names.size(); ++k) {
                if (names[k] == name) {
                    flags[k] = true;
                }
            }
        }
    }
    return flags;
}

namespace {

size_t SkipSpace(std::string_view text, size_t i) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    return i;
}

// The comparison "= 'literal'" that follows a placeholder ending at `i`: the literal's
// text and the index past it, or nullopt.
std::optional<std::pair<std::string, size_t>> ComparedLiteral(std::string_view text, size_t i) {
    i = SkipSpace(text, i);
    if (i >= text.size() || text[i] != '=') {
        return std::nullopt;
    }
    i = SkipSpace(text, i + 1);
    if (i >= text.size() || text[i] != '\'') {
        return std::nullopt;
    }
    const size_t end = SkipSqlQuoted(text, i);
    std::string literal;
    for (size_t k = i + 1; k + 1 < end; ++k) {
        literal += text[k];
        if (text[k] == '\'') {
            ++k; // a doubled quote is one
        }
    }
    return std::make_pair(literal, end);
}

// Whether `out` ends with "OR" and blanks, as the alternative before a flag does; then
// cuts it away.
bool CutTrailingOr(std::string& out) {
    size_t end = out.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(out[end - 1]))) {
        --end;
    }
    if (end < 3 || std::toupper(static_cast<unsigned char>(out[end - 1])) != 'R' ||
        std::toupper(static_cast<unsigned char>(out[end - 2])) != 'O' ||
        IsSqlNameChar(out[end - 3])) {
        return false;
    }
    end -= 2;
    while (end > 0 && std::isspace(static_cast<unsigned char>(out[end - 1]))) {
        --end;
    }
    out.resize(end);
    return true;
}

} // namespace

std::optional<std::string> DecideFlags(std::string_view text, const std::vector<bool>& flags,
                                       const std::vector<Variant>& values) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            const size_t end = SkipSqlQuoted(text, i);
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        if (c != '?' || i + 1 >= text.size() ||
            !std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            out += c;
            ++i;
            continue;
        }
        size_t end = i + 1;
        size_t number = 0;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {
            number = number * 10 + static_cast<size_t>(text[end] - '0');
            ++end;
        }
        const auto compared = number >= 1 && number <= flags.size() && flags[number - 1]
                                  ? ComparedLiteral(text, end)
                                  : std::nullopt;
        if (!compared) {
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        const Variant& value = values[number - 1];
        std::string given;
        if (value.Type() == VarType::String) {
            given = *value.Get<std::string>();
        } else if (value.Type() == VarType::Integer) {
            given = std::to_string(*value.Get<std::int64_t>());
        } else {
            return std::nullopt;
        }
        const bool holds = given == compared->first;
        i = compared->second;
        if (!holds && text.substr(SkipSpace(text, i), 1) == ")" && CutTrailingOr(out)) {
            continue;
        }
        out += holds ? "1" : "0";
    }
    return out;
}

} // namespace oca::db
