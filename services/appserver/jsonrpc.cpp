#include "appserver/jsonrpc.h"

#include "appserver/server.h"
#include "core/exceptions.h"
#include "core/packet_json.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <utility>

namespace oca::server {

namespace {

using nlohmann::json;

constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;

std::string Reply(const json& id, json body) {
    body["jsonrpc"] = "2.0";
    body["id"] = id;
    return body.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ErrorReply(const json& id, int code, const std::string& message, RpcOutcome& outcome) {
    outcome.result = "erro " + std::to_string(code) + ": " + message;
    return Reply(id, {{"error", {{"code", code}, {"message", message}}}});
}

std::string AnswerTooLargeText(bool batch) {
    return batch ? "A resposta do lote passa do limite do servidor; chame este método fora de "
                   "um lote ou restrinja a seleção."
                 : "A resposta passa do limite do servidor; restrinja a seleção.";
}

// A text with the character of code zero: one engine cuts it there, another stores it, so
// the same call would mean two things. The depth was bounded before the tree was built.
bool HoldsNul(const json& j) {
    if (j.is_string()) {
        return j.get_ref<const std::string&>().find('\0') != std::string::npos;
    }
    if (j.is_object()) {
        for (const auto& [key, value] : j.items()) {
            if (key.find('\0') != std::string::npos || HoldsNul(value)) {
                return true;
            }
        }
        return false;
    }
    if (j.is_array()) {
        for (const json& item : j) {
            if (HoldsNul(item)) {
                return true;
            }
        }
    }
    return false;
}

// What the log says of a call that was answered: a write refused in its text (Confirma
// answers a number, nothing, or the reason it stored nothing) is not an "ok".
std::string Outcome(const std::string& method, const Variant& result) {
    if (result.IsError()) {
        return "erro-no-resultado: " + result.AsString();
    }
    if (method == "Confirma" && result.Type() == VarType::String && result.AsString().size() > 10) {
        return "recusado: " + result.AsString();
    }
    return "ok";
}

// One call of a request as it was written, read without running anything. A call refused
// before its method was read has an empty method; one refused after keeps its method and
// id (a notification's refusal is then not answered).
struct ParsedCall {
    json id = nullptr;
    bool hasId = false;
    bool methodRead = false; ///< the method's name was read (it may be "")
    std::string method;
    std::vector<Variant> params;
    std::optional<std::pair<int, std::string>> refusal;
};

ParsedCall Refused(ParsedCall call, int code, std::string message) {
    call.refusal.emplace(code, std::move(message));
    return call;
}

ParsedCall ParseCall(const json& request) {
    ParsedCall call;
    if (!request.is_object()) {
        return Refused(std::move(call), kInvalidRequest,
                       "A requisição deve ser um objeto JSON-RPC");
    }
    const auto idMember = request.find("id");
    call.hasId = idMember != request.end();
    if (call.hasId && !idMember->is_null() && !idMember->is_number_integer() &&
        !idMember->is_string()) {
        return Refused(std::move(call), kInvalidRequest, "id inválido");
    }
    call.id = call.hasId ? *idMember : json(nullptr);
    const auto version = request.find("jsonrpc");
    const auto method = request.find("method");
    if (version == request.end() || *version != "2.0" || method == request.end() ||
        !method->is_string()) {
        return Refused(std::move(call), kInvalidRequest, "Requisição JSON-RPC 2.0 inválida");
    }
    call.method = method->get<std::string>();
    call.methodRead = true;
    const auto given = request.find("params");
    if (given == request.end()) {
        return call;
    }
    if (!given->is_array()) {
        return Refused(std::move(call), kInvalidParams,
                       "params deve ser uma lista (parâmetros por posição)");
    }
    if (HoldsNul(*given)) {
        return Refused(std::move(call), kInvalidParams,
                       "Os textos não podem conter o caractere nulo; nada foi feito.");
    }
    try {
        for (const json& p : *given) {
            call.params.push_back(VariantFromJson(p));
        }
    } catch (const Exception& e) {
        call.params.clear();
        return Refused(std::move(call), kInvalidParams, e.Message());
    }
    return call;
}

// Runs a well-formed call; its reply text, spent from `budget`.
std::string RunCall(const ParsedCall& call, const RpcHandler& handler, const RpcTextHandler& direct,
                    RpcOutcome& outcome, size_t& budget, bool batch) {
    const json& id = call.id;
    try {
        // Written directly: a large packet through the JSON library's DOM would cost
        // more than the query that made it.
        std::string text = "{\"id\":" + id.dump() + ",\"jsonrpc\":\"2.0\",\"result\":";
        const size_t start = text.size();
        if (direct && direct(call.method, call.params, text, budget, batch)) {
            outcome.result =
                text.compare(start, 10, "{\"$error\":") == 0 ? "erro-no-resultado" : "ok";
        } else {
            const Variant result = handler(call.method, call.params);
            outcome.result = Outcome(call.method, result);
            AppendVariantJson(text, result);
        }
        text += '}';
        if (text.size() > budget) {
            return ErrorReply(id, kAnswerTooLarge, AnswerTooLargeText(batch), outcome);
        }
        budget -= text.size();
        return text;
    } catch (const RpcError& e) {
        return ErrorReply(id, e.code(),
                          e.code() == kAnswerTooLarge ? AnswerTooLargeText(batch) : e.what(),
                          outcome);
    } catch (const std::exception& e) {
        // What failed inside may be a database's own text: the log keeps it.
        return ErrorReply(id, kInternalError,
                          "Erro interno do servidor (" + LogFailure(call.method, e.what()) +
                              " no log do servidor)",
                          outcome);
    }
}

// One call of a request; its reply text, or "" for a notification.
std::string HandleCall(const json& request, const RpcHandler& handler, const RpcTextHandler& direct,
                       RpcOutcome& outcome, size_t& budget, bool batch) {
    const ParsedCall call = ParseCall(request);
    outcome.method = call.method.empty() ? "-" : call.method;
    if (!call.methodRead) {
        return ErrorReply(call.id, call.refusal->first, call.refusal->second, outcome);
    }
    outcome.notification = !call.hasId;
    outcome.id = call.hasId ? call.id.dump() : "-";
    std::string reply =
        call.refusal ? ErrorReply(call.id, call.refusal->first, call.refusal->second, outcome)
                     : RunCall(call, handler, direct, outcome, budget, batch);
    return call.hasId ? reply : std::string();
}

} // namespace

std::string HandleRpc(std::string_view body, const RpcHandler& handler,
                      std::vector<RpcOutcome>& outcomes, size_t maxReply,
                      const RpcTextHandler& direct) {
    outcomes.clear();
    size_t budget = maxReply;
    json request;
    const auto refuse = [&](int code, const std::string& message) {
        outcomes.push_back({"-", "", false, "-"});
        return ErrorReply(nullptr, code, message, outcomes.back());
    };
    // The depth is bounded before any tree is built: code that walks a tree recursively
    // must never meet one deep enough to exhaust its stack.
    if (!JsonDepthWithin(body, kMaxJsonDepth)) {
        return refuse(kInvalidRequest, "Requisição com mais de " + std::to_string(kMaxJsonDepth) +
                                           " níveis de listas e objetos");
    }
    try {
        request = json::parse(body);
    } catch (const json::out_of_range&) {
        return refuse(kInvalidRequest, "Requisição com número fora do intervalo representável");
    } catch (const json::exception&) {
        return refuse(kParseError, "JSON inválido");
    }
    if (!request.is_array()) {
        outcomes.emplace_back();
        return HandleCall(request, handler, direct, outcomes.back(), budget, false);
    }
    if (request.empty() || request.size() > kMaxBatchCalls) {
        outcomes.push_back({"-", "", false, "-"});
        return ErrorReply(nullptr, kInvalidRequest,
                          request.empty()
                              ? "Lote vazio"
                              : "Lote com mais de " + std::to_string(kMaxBatchCalls) + " chamadas",
                          outcomes.back());
    }
    std::string replies;
    outcomes.resize(request.size());
    for (size_t i = 0; i < request.size(); ++i) {
        const std::string reply =
            HandleCall(request[i], handler, direct, outcomes[i], budget, true);
        if (!reply.empty()) {
            replies += replies.empty() ? "[" : ",";
            replies += reply;
        }
    }
    return replies.empty() ? replies : replies + "]";
}

std::string MakeRpcRequest(long long id, const std::string& method,
                           const std::vector<Variant>& params) {
    json p = json::array();
    for (const Variant& v : params) {
        p.push_back(VariantToJson(v));
    }
    return json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(p)}}.dump(
        -1, ' ', false, json::error_handler_t::replace);
}

} // namespace oca::server
