#include "framework/net/net_connection.h"

#include "core/exceptions.h"
#include "core/packet_json.h"
#include "framework/ui/ui_driver.h"

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

std::string TNetConnection::Where() const {
    return host_ + ":" + std::to_string(port_);
}

std::string TNetConnection::Handshake() {
    if (BeforeConnect) {
        BeforeConnect(this);
    }
    const std::string failure = "Não foi possível conectar ao servidor de aplicação " + Where() +
                                " (objeto " + serverName_ + "): ";
    httplib::Headers headers;
    if (!token_.empty()) {
        headers.emplace("Authorization", "Bearer " + token_);
    }
    auto result = EnsureClient().http->Get("/rpc/" + serverName_, headers);
    if (!result) {
        client_.reset();
        return failure + "o servidor não respondeu.";
    }
    if (result->status == 401) {
        return failure + "acesso não autorizado.";
    }
    if (result->status == 404) {
        return failure + "o servidor não oferece este objeto.";
    }
    if (result->status != 200) {
        return failure + "HTTP " + std::to_string(result->status) + ".";
    }
    nlohmann::json reply = nlohmann::json::parse(result->body, nullptr, /*allow_exceptions=*/false);
    if (!reply.is_object() || reply.value("object", std::string()) != serverName_) {
        return failure + "o servidor não oferece este objeto.";
    }
    if (!reply.contains("wire") || reply["wire"] != kWireVersion) {
        return failure + "versão de protocolo diferente da esperada (" +
               std::to_string(kWireVersion) + ").";
    }
    return {};
}

void TNetConnection::ReportFailure(const std::string& text) {
    // The screen that asked goes on and its next calls try again: one outage is one
    // message, not one per call, while the reason stays the same.
    const auto now = std::chrono::steady_clock::now();
    if (text == lastReported_ && now - lastReportedAt_ < std::chrono::seconds(5)) {
        return;
    }
    lastReported_ = text;
    lastReportedAt_ = now;
    Ui().ShowError(text);
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
    const std::string failure = Handshake();
    connected_ = failure.empty();
    if (connected_) {
        lastReported_.clear();
        return;
    }
    if (throwException_) {
        throw Exception(failure);
    }
    ReportFailure(failure);
}

Variant TNetConnection::Call(const std::string& method, const std::vector<Variant>& args) {
    if (CallObserver) {
        CallObserver(method);
    }
    if (!connected_) {
        SetConnected(true);
        if (!connected_) {
            throw EAbort(); // already shown by the component
        }
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
    const std::string where = Where();
    httplib::Headers headers;
    if (!token_.empty()) {
        headers.emplace("Authorization", "Bearer " + token_);
    }
    auto result = EnsureClient().http->Post(path, headers, body, "application/json");
    if (!result) {
        client_.reset();
        connected_ = false; // the next call shakes hands again
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
