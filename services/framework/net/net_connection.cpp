#include "framework/net/net_connection.h"

#include "core/exceptions.h"
#include "core/packet_json.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

struct TNetConnection::Client {
    std::string host;
    int port = 0;
    std::unique_ptr<httplib::Client> http;
};

std::function<void(const std::string&)> TNetConnection::CallObserver;

TNetConnection::TNetConnection(TComponent* Owner) : TComponent(Owner) {}

TNetConnection::~TNetConnection() = default;

TNetConnection::Client& TNetConnection::EnsureClient() {
    if (!client_ || client_->host != host_ || client_->port != port_) {
        client_ = std::make_unique<Client>();
        client_->host = host_;
        client_->port = port_;
        client_->http = std::make_unique<httplib::Client>(host_, port_);
        client_->http->set_connection_timeout(5, 0);
        client_->http->set_read_timeout(timeout_, 0);
        client_->http->set_write_timeout(timeout_, 0);
        client_->http->set_keep_alive(true);
        client_->http->set_tcp_nodelay(true);
    }
    return *client_;
}

void TNetConnection::SetConnected(bool connected) {
    if (!connected) {
        connected_ = false;
        client_.reset();
        return;
    }
    if (connected_) {
        return;
    }
    if (BeforeConnect) {
        BeforeConnect(this);
    }
    try {
        Call("GetSysDate");
        connected_ = true;
    } catch (const Exception&) {
        connected_ = false;
        if (throwException_) {
            throw;
        }
    }
}

Variant TNetConnection::Call(const std::string& method, const std::vector<Variant>& args) {
    if (CallObserver) {
        CallObserver(method);
    }
    nlohmann::json params = nlohmann::json::array();
    for (const Variant& v : args) {
        params.push_back(VariantToJson(v));
    }
    const std::string body = nlohmann::json{
        {"jsonrpc", "2.0"},
        {"id", nextId_++},
        {"method", method},
        {"params", params}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    const std::string path = "/rpc/" + serverName_;
    const std::string where = host_ + ":" + std::to_string(port_);
    httplib::Headers headers;
    if (!token_.empty()) {
        headers.emplace("Authorization", "Bearer " + token_);
    }
    auto result = EnsureClient().http->Post(path, headers, body, "application/json");
    if (!result) {
        client_.reset();
        throw Exception("Não foi possível comunicar com o servidor de aplicação " + where + " (" +
                        httplib::to_string(result.error()) + ").");
    }
    if (result->status != 200) {
        throw Exception("O servidor de aplicação " + where + " recusou a chamada " + method +
                        " (HTTP " + std::to_string(result->status) + ").");
    }
    nlohmann::json reply;
    try {
        reply = nlohmann::json::parse(result->body);
    } catch (const nlohmann::json::parse_error&) {
        throw Exception("Resposta inválida do servidor de aplicação à chamada " + method + ".");
    }
    if (reply.contains("error")) {
        const auto& error = reply["error"];
        throw Exception("O servidor de aplicação recusou " + method + ": " +
                        error.value("message", std::string("erro desconhecido")));
    }
    if (!reply.contains("result")) {
        throw Exception("Resposta sem resultado do servidor de aplicação à chamada " + method +
                        ".");
    }
    try {
        return VariantFromJson(reply["result"]);
    } catch (const EDataPacketError& e) {
        throw Exception("Resposta inválida do servidor de aplicação à chamada " + method + ": " +
                        e.Message());
    }
}
