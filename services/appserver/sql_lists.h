#pragma once

#include "core/variant.h"

#include <string>
#include <utility>
#include <vector>

namespace oca::server {

using Params = std::vector<std::pair<std::string, Variant>>;

/// The most keys one selection list may hold: far more than a person picks, few enough
/// that a call with them stays quick.
constexpr size_t kMaxListKeys = 10000;

/// "column IN (:P1, :P2, ...)" with each key bound as a parameter named after `prefix`;
/// "1 = 0" for no keys. Raises RpcError past kMaxListKeys. Only the column (ours) and numbered
/// names reach the SQL text.
std::string InList(const std::string& column, const std::vector<std::string>& keys,
                   const std::string& prefix, Params& params);

/// "1 = 1" (every key) when the selection string `list` is empty; else the IN list of its
/// keys, whole.
std::string KeysCondition(const std::string& column, const std::string& list,
                          const std::string& prefix, Params& params);

class Args;
/// " AND column IN (...)" with the branches the call's session is granted, "" when it is
/// granted every branch (or the call has no session: an in-process caller): a session
/// reads its own branches' rows only, whatever its call asks for.
std::string GrantedBranches(const Args& args, const std::string& column, Params& params);

} // namespace oca::server
