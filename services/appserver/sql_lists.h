#pragma once

#include "core/variant.h"

#include <string>
#include <utility>
#include <vector>

namespace oca::server {

using Params = std::vector<std::pair<std::string, Variant>>;

/// "column IN (:P1, :P2, ...)" with each key bound as a parameter named after `prefix`;
/// "1 = 0" for no keys. Only the column (ours) and numbered names reach the SQL text.
std::string InList(const std::string& column, const std::vector<std::string>& keys,
                   const std::string& prefix, Params& params);

} // namespace oca::server
