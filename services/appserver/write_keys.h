#pragma once

#include "appserver/server.h"

#include <functional>
#include <string>
#include <vector>

namespace oca::server {

/// Runs the write `run` under its client's key, in one transaction with the key and the
/// answer: a key already stored (by this server or another, before a restart or after)
/// is answered with its first answer and nothing runs; the same key with another call is
/// RpcError kKeyReused. A refused write (an error answer, or one that rolled its work
/// back) keeps no key. When the commit's outcome is lost with the connection, the key is
/// looked up again to answer the truth.
Variant RunOnce(db::Database& db, const std::string& key, const std::string& method,
                const std::vector<Variant>& args, const CallLimits& limits,
                const std::function<Variant(db::Database&)>& run);

} // namespace oca::server
