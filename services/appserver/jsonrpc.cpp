#include "appserver/jsonrpc.h"

#include "appserver/server.h"
#include "core/exceptions.h"
#include "core/packet_json.h"

#include <nlohmann/json.hpp>

namespace oca::server {

namespace {

using nlohmann::json;

std::string Reply(const json& id, json body) {
    body["jsonrpc"] = "2.0";
    body["id"] = id;
    return body.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ErrorReply(const json& id, int code, const std::string& message, RpcOutcome& outcome) {
    outcome.result = "erro " + std::to_string(code) + ": " + message;
    return Reply(id, {{"error", {{"code", code}, {"message", message}}}});
}

} // namespace

std::string HandleRpc(std::string_view body, const RpcHandler& handler, RpcOutcome& outcome) {
    outcome.method = "-";
    json request;
    try {
        request = json::parse(body);
    } catch (const json::parse_error&) {
        return ErrorReply(nullptr, -32700, "JSON inválido", outcome);
    }
    if (!request.is_object()) {
        return ErrorReply(nullptr, -32600, "A requisição deve ser um objeto JSON-RPC", outcome);
    }
    const json id = request.contains("id") ? request["id"] : json(nullptr);
    if (!id.is_null() && !id.is_number_integer() && !id.is_string()) {
        return ErrorReply(nullptr, -32600, "id inválido", outcome);
    }
    if (request.value("jsonrpc", "") != "2.0" || !request.contains("method") ||
        !request["method"].is_string()) {
        return ErrorReply(id, -32600, "Requisição JSON-RPC 2.0 inválida", outcome);
    }
    outcome.method = request["method"].get<std::string>();
    std::vector<Variant> params;
    if (request.contains("params")) {
        if (!request["params"].is_array()) {
            return ErrorReply(id, -32602, "params deve ser uma lista", outcome);
        }
        try {
            for (const json& p : request["params"]) {
                params.push_back(VariantFromJson(p));
            }
        } catch (const Exception& e) {
            return ErrorReply(id, -32602, e.Message(), outcome);
        }
    }
    try {
        const Variant result = handler(outcome.method, params);
        outcome.result = result.IsError() ? "erro-no-resultado" : "ok";
        // Written directly: a large packet through the JSON library's DOM would cost
        // more than the query that made it.
        std::string reply = "{\"id\":" + id.dump() + ",\"jsonrpc\":\"2.0\",\"result\":";
        AppendVariantJson(reply, result);
        reply += '}';
        return reply;
    } catch (const RpcError& e) {
        return ErrorReply(id, e.code(), e.what(), outcome);
    } catch (const std::exception& e) {
        return ErrorReply(id, -32603, std::string("Erro interno: ") + e.what(), outcome);
    }
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
