#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace oca::db {

/// Whether `c` may continue a parameter or column name.
bool IsSqlNameChar(char c);
/// Index just past the quoted run (text or identifier) that opens at `i`; a doubled quote
/// stands for itself.
size_t SkipSqlQuoted(std::string_view sql, size_t i);
/// A name in upper case, as parameters are kept.
std::string UpperSqlName(std::string_view name);

/// An SQL text with its ":NAME" parameters found and numbered.
struct ParsedSql {
    /// Distinct names in order of first appearance, upper case. The same name may
    /// stand several times in the text; it is one parameter.
    std::vector<std::string> names;
    /// The text with each ":NAME" replaced by the placeholder of its number
    /// (see `ParseNamedParameters`).
    std::string text;
};

/// Finds ":NAME" parameters (a letter or "_" after the colon, then letters, digits and
/// "_"), skipping quoted texts, quoted identifiers, comments and "::" casts. Each one
/// becomes `placeholderPrefix` followed by its 1-based number ("?" gives "?1",
/// "$" gives "$1").
ParsedSql ParseNamedParameters(std::string_view sql, std::string_view placeholderPrefix = "?");

} // namespace oca::db
