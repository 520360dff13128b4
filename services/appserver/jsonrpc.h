#pragma once

#include "core/variant.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace oca::server {

/// What a request came to and how it ended, for the log line.
struct RpcOutcome {
    std::string method; ///< "-" when the request could not be read
    std::string result; ///< "ok", "erro-no-resultado" or the JSON-RPC error
};

using RpcHandler =
    std::function<Variant(const std::string& method, const std::vector<Variant>& params)>;

/// Answers one JSON-RPC 2.0 request body (a single call; batches are refused): the reply
/// text, with the result encoded as a variant or a JSON-RPC error object. Parse errors
/// give -32700, a request of the wrong shape -32600, errors the handler raises as
/// RpcError their own code, any other exception -32603. Never throws.
std::string HandleRpc(std::string_view body, const RpcHandler& handler, RpcOutcome& outcome);

/// The request text of a call, as the client sends it.
std::string MakeRpcRequest(long long id, const std::string& method,
                           const std::vector<Variant>& params);

} // namespace oca::server
