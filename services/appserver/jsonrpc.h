#pragma once

#include "core/variant.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace oca::server {

/// What one call of a request came to and how it ended, for the log line.
struct RpcOutcome {
    std::string method; ///< "-" when the call could not be read
    /// "ok"; "recusado: TEXT" for a write the server refused (Confirma's text answer);
    /// "erro-no-resultado: TEXT"; or "erro CODE: TEXT", the JSON-RPC error
    std::string result;
    bool notification = false; ///< a call without "id": run, never answered
    std::string id;            ///< the call's id as it came, "-" without one
};

using RpcHandler =
    std::function<Variant(const std::string& method, const std::vector<Variant>& params)>;

/// Writes a call's result as wire text straight into `text` and answers true, for the
/// methods that can (a large selection); false to have RpcHandler answer instead.
/// `budget`: the most bytes the call's reply may take (it may stop with RpcError
/// kAnswerTooLarge as soon as it knows it would pass them); `batch`: the call is one of
/// a batch, whose replies are gathered rather than sent as they are written.
using RpcTextHandler =
    std::function<bool(const std::string& method, const std::vector<Variant>& params,
                       std::string& text, size_t budget, bool batch)>;

/// The most calls one batch may hold: a batch is not a way around the limits of a request.
constexpr size_t kMaxBatchCalls = 100;

/// Answers one JSON-RPC 2.0 request body, a single call or a batch (a non-empty list of
/// calls, answered by a list of the replies of those that have an "id"). The reply text
/// is empty when nothing is to be answered: a notification, or a batch of them only.
/// Parse errors give -32700, a request of the wrong shape (or nested deeper than
/// kMaxJsonDepth) -32600, bad parameters -32602, errors the handler raises as RpcError
/// their own code, any other exception -32603. Results whose text would take the reply
/// past `maxReply` bytes are answered with -32003 instead (a batch shares the budget).
/// One outcome per call. Never throws.
std::string HandleRpc(std::string_view body, const RpcHandler& handler,
                      std::vector<RpcOutcome>& outcomes, size_t maxReply = SIZE_MAX,
                      const RpcTextHandler& direct = nullptr);

/// The request text of a call, as the client sends it.
std::string MakeRpcRequest(long long id, const std::string& method,
                           const std::vector<Variant>& params);

} // namespace oca::server
