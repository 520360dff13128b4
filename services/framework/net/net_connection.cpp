#include "framework/net/net_connection.h"

#include "core/exceptions.h"
#include "core/packet_json.h"
#include "core/packet_sax.h"
#include "framework/ui/ui_driver.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <thread>

struct TNetConnection::Client {
    std::string host;
    int port = 0;
    bool tls = false;
    std::string caFile;
    std::unique_ptr<httplib::Client> http;
};

std::function<void(const std::string&)> TNetConnection::CallObserver;

TNetConnection::TNetConnection(TComponent* Owner) : TComponent(Owner) {
    // A server that refuses a request while it is still being sent closes the connection:
    // the write fails with EPIPE, which must not end the program.
    static const bool ignored = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

TNetConnection::~TNetConnection() = default;

TNetConnection::Client& TNetConnection::EnsureClient() {
    if (!client_ || client_->host != host_ || client_->port != port_ || client_->tls != tls_ ||
        client_->caFile != caFile_) {
        client_ = std::make_unique<Client>();
        client_->host = host_;
        client_->port = port_;
        client_->tls = tls_;
        client_->caFile = caFile_;
        client_->http = std::make_unique<httplib::Client>((tls_ ? "https://" : "http://") + host_ +
                                                          ":" + std::to_string(port_));
        if (tls_) {
            client_->http->enable_server_certificate_verification(true);
            if (!caFile_.empty()) {
                client_->http->set_ca_cert_path(caFile_.c_str());
            }
        }
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

namespace {

// Why the server turned a request away, as a person can act on it.
std::string RefusalReason(int status) {
    switch (status) {
    case 401:
        return "acesso não autorizado (verifique o token)";
    case 413:
        return "requisição grande demais";
    case 503:
        return "servidor ocupado; tente de novo em instantes";
    default:
        return "HTTP " + std::to_string(status);
    }
}

} // namespace

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
        const httplib::Error error = result.error();
        client_.reset();
        if (error == httplib::Error::SSLServerVerification) {
            return failure + "o certificado do servidor não foi aceito.";
        }
        if (error == httplib::Error::SSLConnection) {
            return failure + "a conexão segura (TLS) não pôde ser estabelecida.";
        }
        // What to do, not only what failed: the person is the one who can start it.
        return failure +
               "o servidor não respondeu. Verifique se o servidor de aplicação (oca-appserver) "
               "está em execução nesse endereço e tente de novo.";
    }
    if (result->status == 404) {
        return failure + "o servidor não oferece este objeto.";
    }
    if (result->status != 200) {
        return failure + RefusalReason(result->status) + ".";
    }
    nlohmann::json reply;
    try {
        reply = ParseJsonText(result->body);
    } catch (const EDataPacketError&) {
        return failure + "o servidor não oferece este objeto.";
    }
    if (!reply.is_object() || !reply.contains("object") || reply["object"] != serverName_) {
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

namespace {

// A key no other call of any client shares: a call sent again after its answer was lost
// carries the same key, and the server answers it without running it twice.
std::string NewCallKey() {
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               static_cast<std::uint64_t>(::getpid())};
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(random()),
                  static_cast<unsigned long long>(random()));
    return text;
}

} // namespace

namespace {

// What went wrong on the way, in the person's language: the library's own names are
// English words ("Connection") that would end up in a pt-BR message.
std::string ErrorText(httplib::Error error) {
    switch (error) {
    case httplib::Error::Connection:
        return "a conexão não pôde ser estabelecida";
    case httplib::Error::ConnectionTimeout:
        return "a conexão demorou demais para ser estabelecida";
    case httplib::Error::Read:
        return "a resposta não pôde ser lida";
    case httplib::Error::Write:
        return "o pedido não pôde ser enviado";
    case httplib::Error::Canceled:
        return "a chamada foi interrompida";
    case httplib::Error::SSLConnection:
        return "a conexão segura (TLS) não pôde ser estabelecida";
    case httplib::Error::SSLServerVerification:
        return "o certificado do servidor não foi aceito";
    case httplib::Error::SSLLoadingCerts:
        return "os certificados não puderam ser carregados";
    default:
        return "falha de comunicação (" + std::to_string(static_cast<int>(error)) + ")";
    }
}

} // namespace

std::optional<TNetConnection::Reply> TNetConnection::Post(const std::string& body, long long id,
                                                          const std::string& key,
                                                          std::string& failure) {
    httplib::Request request;
    request.method = "POST";
    request.path = "/rpc/" + serverName_;
    request.body = body;
    request.set_header("Content-Type", "application/json");
    request.set_header("Idempotency-Key", key);
    if (!token_.empty()) {
        request.set_header("Authorization", "Bearer " + token_);
    }
    if (!session_.empty()) {
        request.set_header("Oca-Sessao", session_);
    }
    Reply reply;
    bool tooLarge = false;
    bool broken = false;
    bool stopped = false;
    size_t received = 0;
    size_t told = 0;
    // A selection's rows are read as they arrive, while the server still writes the rest.
    StreamedReplyReader reader(id);
    request.content_receiver = [&](const char* data, size_t length, uint64_t, uint64_t) {
        received += length;
        if (received > maxReply_) {
            tooLarge = true;
            return false;
        }
        if (!reader.Feed(data, length)) {
            broken = true;
            return false;
        }
        // A long answer says how far it got, and the person may stop it.
        constexpr size_t kStep = 4 << 20;
        if (received - told >= kStep) {
            told = received;
            char text[96];
            std::snprintf(text, sizeof text, "Recebendo a resposta do servidor: %.0f MB...",
                          static_cast<double>(received) / (1 << 20));
            stopped = !Ui().ProgressGoesOn(text);
            return !stopped;
        }
        return true;
    };
    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    if (!EnsureClient().http->send(request, response, error)) {
        client_.reset();
        if (stopped) {
            throw EAbort(); // the person stopped it: nothing to say
        }
        failure = tooLarge ? "resposta maior que " + (maxReply_ >= (1 << 20)
                                                          ? std::to_string(maxReply_ >> 20) + " MB"
                                                          : std::to_string(maxReply_) + " bytes")
                  : broken ? "resposta inválida"
                           : ErrorText(error);
        return std::nullopt;
    }
    reply.status = response.status;
    if (reader.Complete()) {
        reply.packet = std::move(reader.Packet());
    } else if (reader.IsWhole()) {
        reply.body = reader.Whole();
    } else {
        failure = "resposta incompleta";
        return std::nullopt;
    }
    return reply;
}

namespace {

// The server object's methods that store something: their outcome matters when an answer
// is lost.
bool Writes(const std::string& method) {
    return method == "Confirma" || method == "DelOcorr" || method == "SetApuraQualif" ||
           method == "GravaTratamento" || method == "IniciaAnexo" || method == "GravaParteAnexo" ||
           method == "ConcluiAnexo" || method == "CancelaAnexo" || method == "ExcluiAnexo";
}

} // namespace

std::string TNetConnection::SilenceText(const std::string& method, const std::string& where) const {
    std::string text = "O servidor de aplicação " + where + " não respondeu à chamada " + method +
                       " em " + std::to_string(timeout_) + " s.";
    if (Writes(method)) {
        text += " Não se sabe se a gravação foi concluída: use Verificar para ver se foi gravada "
                "antes de repeti-la.";
    }
    return text;
}

Variant TNetConnection::Call(const std::string& method, const std::vector<Variant>& args) {
    if (CallObserver) {
        CallObserver(method);
    }
    // An unreachable server is told by this connection, as every call's failure is, before
    // any session is asked for.
    if (!connected_) {
        SetConnected(true);
        if (!connected_) {
            throw EAbort();
        }
    }
    if (SessionSource) {
        session_ = SessionSource(false);
    } else if (session_.empty() && credentials_) {
        SignIn(credentials_->op, credentials_->password, credentials_->branch,
               credentials_->module);
    }
    try {
        return Invoke(method, args);
    } catch (const ESessionEnded&) {
        // Refused before it ran: made again in a new session, it runs once.
        if (Renewed().empty()) {
            throw;
        }
        return Invoke(method, args);
    }
}

std::string TNetConnection::Renewed() {
    session_.clear();
    if (credentials_) {
        SignIn(credentials_->op, credentials_->password, credentials_->branch,
               credentials_->module);
    } else if (SessionSource) {
        session_ = SessionSource(true);
    }
    return session_;
}

void TNetConnection::SetCredentials(std::string op, std::string password, std::string branch,
                                    int module) {
    credentials_ = Credentials{std::move(op), std::move(password), std::move(branch), module};
    session_.clear();
}

SignInAnswer TNetConnection::SignIn(const std::string& op, const std::string& password,
                                    const std::string& branch, int module) {
    const Variant answer =
        Invoke("Entrar", {Variant(op), Variant(password), Variant(branch), Variant(module)});
    if (answer.IsError()) {
        throw Exception(answer.AsString());
    }
    if (answer.Type() != VarType::Packet || answer.AsPacket().rows.size() != 1) {
        throw Exception("Resposta inválida do servidor de aplicação à entrada do operador.");
    }
    const DataPacket& p = answer.AsPacket();
    const auto cell = [&](const char* name) {
        const int i = p.FieldIndex(name);
        return i < 0 ? Variant() : p.rows[0][static_cast<size_t>(i)];
    };
    SignInAnswer a;
    a.session = cell("SESSAO").AsString();
    a.op = cell("CDOPERADOR").AsString();
    a.name = cell("NMOPERADOR").AsString();
    a.branch = cell("CDFILIAL").AsString();
    a.module = static_cast<int>(cell("CDMODULO").IsNull() ? 0 : cell("CDMODULO").AsInteger());
    a.grants = cell("ACESSOS").AsString();
    session_ = a.session;
    return a;
}

Variant TNetConnection::Invoke(const std::string& method, const std::vector<Variant>& args) {
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
    const long long id = nextId_++;
    const std::string body =
        nlohmann::json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump(
            -1, ' ', false, nlohmann::json::error_handler_t::replace);
    const std::string where = Where();
    // The same write confirmed again after its outcome was lost goes with the same key: if
    // the first one was stored after all, the server answers it instead of storing twice.
    const std::string call =
        method + "\x1f" + params.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    const bool writes = Writes(method);
    const bool resent = writes && unknown_ && unknown_->first == call;
    const std::string key = resent ? unknown_->second : NewCallKey();
    if (writes) {
        unknown_.reset(); // another write: the lost one was given up or changed
    }
    const auto lost = [&] {
        if (writes) {
            unknown_.emplace(call, key);
        }
    };
    std::string failure;
    const auto sent = std::chrono::steady_clock::now();
    std::optional<Reply> result = Post(body, id, key, failure);
    // A server that took the call and then said nothing for the whole wait is not asked
    // again: a second wait as long would leave the person before a frozen window.
    if (!result && std::chrono::steady_clock::now() - sent >= std::chrono::seconds(timeout_)) {
        connected_ = false;
        lost();
        throw Exception(SilenceText(method, where));
    }
    // A gateway's 502 or 504: the server behind a load balancer went away or went quiet
    // with the call, which it may have stored. Like a lost answer, it is sent once more
    // (the balancer picks a server that answers), with its key.
    const auto gatewayLost = [](const std::optional<Reply>& r) {
        return r && (r->status == 502 || r->status == 504);
    };
    if ((!result && failure.rfind("resposta", 0) != 0) || gatewayLost(result)) {
        // Once more on a fresh connection: a kept-alive one may have been closed by the
        // server, or the answer lost on the way. The key keeps a write from running twice.
        client_.reset();
        result = Post(body, id, key, failure);
    }
    // Still lost at the gateway: the balancer has not yet seen the server gone. A little
    // later it sends the call to one that answers.
    for (int pause = 250; gatewayLost(result) && pause <= 1000; pause *= 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        result = Post(body, id, key, failure);
    }
    // A busy server turned the call away before running it: tried again after a pause
    // or two, as the person would, before saying so.
    for (int pause = 250; result && result->status == 503 && pause <= 500; pause *= 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        result = Post(body, id, key, failure);
    }
    if (!result) {
        connected_ = false; // the next call shakes hands again
        lost();
        throw Exception("Não foi possível comunicar com o servidor de aplicação " + where + " (" +
                        failure + ").");
    }
    if (gatewayLost(result)) {
        connected_ = false;
        lost();
    }
    if (result->status != 200) {
        throw Exception("O servidor de aplicação " + where + " recusou a chamada " + method + ": " +
                        RefusalReason(result->status) + ".");
    }
    if (result->packet) {
        return MakePacketVariant(std::move(*result->packet));
    }
    return ReadReply(method, id, result->body);
}

Variant TNetConnection::ReadReply(const std::string& method, long long id,
                                  const std::string& text) {
    const std::string invalid = "Resposta inválida do servidor de aplicação à chamada " + method;
    // The members are found without reading them: the result, a packet of many rows
    // perhaps, is then read once, straight into its values.
    std::vector<std::pair<std::string_view, std::string_view>> members;
    if (!SplitObjectMembers(text, members)) {
        if (!JsonDepthWithin(text, kMaxJsonDepth)) {
            throw Exception(invalid + ": mais de " + std::to_string(kMaxJsonDepth) +
                            " níveis de listas e objetos.");
        }
        throw Exception(invalid + ".");
    }
    std::string_view replyId, error, result;
    bool hasResult = false;
    for (const auto& [name, value] : members) {
        if (name == "id") {
            replyId = value;
        } else if (name == "error") {
            error = value;
        } else if (name == "result") {
            result = value;
            hasResult = true;
        }
    }
    if (replyId != std::to_string(id)) {
        throw Exception(invalid + ": a resposta não é a desta chamada.");
    }
    if (!error.empty()) {
        std::string message = "erro desconhecido";
        bool sessionEnded = false;
        try {
            const nlohmann::json e = ParseJsonText(error);
            const auto m = e.is_object() ? e.find("message") : e.end();
            if (m != e.end() && m->is_string()) {
                message = m->get<std::string>();
            }
            const auto code = e.is_object() ? e.find("code") : e.end();
            sessionEnded = code != e.end() && *code == kSessionEndedCode;
        } catch (const EDataPacketError&) {
        }
        if (sessionEnded) {
            throw ESessionEnded(message);
        }
        throw Exception("O servidor de aplicação recusou " + method + ": " + message);
    }
    if (!hasResult) {
        throw Exception("Resposta sem resultado do servidor de aplicação à chamada " + method +
                        ".");
    }
    try {
        return DecodeVariant(result);
    } catch (const EDataPacketError& e) {
        throw Exception(invalid + ": " + e.Message());
    }
}
