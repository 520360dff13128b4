#pragma once

#include "core/variant.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oca::db {

/// Which of a statement's parameters (numbered as ParseNamedParameters numbers them) are
/// compared with a literal, as the flag of "(CODE = :P OR :T = 'T')". SQLite plans such a
/// text once for every value of the flag and cannot use an index on CODE; with the flag's
/// value written into the text, the constant branch folds away and the index serves.
std::vector<bool> FlagParameters(std::string_view sql, const std::vector<std::string>& names);

/// `text` (placeholders "?N") with each flag comparison "?N = 'literal'" decided by the
/// flag's bound value: a false one that is the last alternative of "(... OR ?N = 'x')" goes
/// with its OR, so that what is left can use an index (SQLite does not fold a constant
/// false branch away); any other comparison becomes 1 or 0. Quoted texts are left alone.
/// nullopt when a flag's value is not a text or an integer.
std::optional<std::string> DecideFlags(std::string_view text, const std::vector<bool>& flags,
                                       const std::vector<Variant>& values);

} // namespace oca::db
