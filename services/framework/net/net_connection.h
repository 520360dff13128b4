#pragma once

#include "core/data_packet.h"
#include "core/exceptions.h"
#include "core/variant.h"
#include "framework/base/component.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/// A call the server refused because its session ended: never signed in, expired, ended
/// by the administrator, or its grant revoked. Nothing of the call ran.
class ESessionEnded : public Exception {
public:
    using Exception::Exception;
};

/// What a sign-in gives: the session's operator, branch and module, and the operator's
/// grants ("BRANCH/MODULE" pairs apart by spaces; "*" every branch, 0 every module).
struct SignInAnswer {
    std::string session;
    std::string op, name, branch;
    int module = 0;
    std::string grants;
};

/// The connection to the application server: late-bound calls by method name, each a
/// synchronous JSON-RPC request over HTTP to the server object named by ServerName.
/// A call that cannot be made or answered (no server, HTTP error, JSON-RPC error, a
/// reply that is not JSON) raises Exception with a pt-BR message; an error the server
/// reports in its result comes back as a ServerError variant for the result check.
class TNetConnection : public TComponent {
public:
    explicit TNetConnection(TComponent* Owner = nullptr);
    ~TNetConnection() override;

    const std::string& ServerName() const { return serverName_; }
    void SetServerName(std::string name) { serverName_ = std::move(name); }
    const std::string& Host() const { return host_; }
    void SetHost(std::string host) { host_ = std::move(host); }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }
    const std::string& Token() const { return token_; }
    void SetToken(std::string token) { token_ = std::move(token); }
    /// The session every call is made in ("" before signing in).
    const std::string& Session() const { return session_; }
    void SetSession(std::string session) { session_ = std::move(session); }
    /// Signs in as `op`, working in `branch` and `module`, and makes the calls from now on
    /// in that session. Raises Exception with the server's text when refused (wrong
    /// password, locked, branch or module not granted); the password is kept nowhere.
    SignInAnswer SignIn(const std::string& op, const std::string& password,
                        const std::string& branch, int module);
    /// For tools that run unattended: signs in with these before the first call, and again
    /// whenever the server says the session ended.
    void SetCredentials(std::string op, std::string password, std::string branch, int module);
    /// Whether connecting raises on failure; calls always raise on failure.
    bool ThrowException() const { return throwException_; }
    void SetThrowException(bool value) { throwException_ = value; }
    /// Whether the server speaks HTTPS; its certificate is always verified, against
    /// CaFile when set, else against the system's authorities.
    bool Tls() const { return tls_; }
    void SetTls(bool tls) { tls_ = tls; }
    const std::string& CaFile() const { return caFile_; }
    void SetCaFile(std::string file) { caFile_ = std::move(file); }
    /// The largest answer taken; a larger one fails the call instead of filling memory.
    size_t MaxReplyBytes() const { return maxReply_; }
    void SetMaxReplyBytes(size_t bytes) { maxReply_ = bytes; }
    /// How long a call may go without receiving anything before it fails with a text
    /// saying the server did not answer (and, for a write, that its outcome is unknown).
    /// A long load that keeps arriving is never cut.
    int TimeoutSeconds() const { return timeout_; }
    void SetTimeoutSeconds(int seconds) { timeout_ = seconds; }

    bool Connected() const { return connected_; }
    /// Connecting runs BeforeConnect (which sets host and port), then the handshake: the
    /// server must serve the object ServerName in wire version kWireVersion; no method of
    /// the object runs. A failure leaves it disconnected and raises with ThrowException;
    /// without, the component shows the failure itself (one pt-BR error naming host,
    /// port and object).
    void SetConnected(bool connected);

    /// Calls `method` of the server object with `args` and returns its result. A
    /// disconnected connection connects first; when that fails the call raises (EAbort
    /// when the component has already shown the failure).
    Variant Call(const std::string& method, const std::vector<Variant>& args = {});

    static constexpr int kWireVersion = 1;
    /// The JSON-RPC error code of a call refused for want of a session.
    static constexpr int kSessionEndedCode = -32005;

    TNotifyEvent BeforeConnect;
    /// Where the session of each call comes from, when set: asked (false) before every
    /// call, and (true) for a new one when the server refused a call because its session
    /// ended; "" gives up (the call then raises ESessionEnded).
    std::function<std::string(bool renew)> SessionSource;

    /// Told of every call made by any connection of the process (method name), before
    /// it is sent: the scenario runner journals server calls with it.
    static std::function<void(const std::string& method)> CallObserver;

private:
    struct Client;
    struct Reply {
        int status = 0;
        std::string body;                 ///< the answer's text, kept whole
        std::optional<DataPacket> packet; ///< or a selection's rows, read as they came
    };
    /// One POST of a call's text; nullopt, with `failure` said, when no whole answer came.
    std::optional<Reply> Post(const std::string& body, long long id, const std::string& key,
                              std::string& failure);
    /// Makes the call once, as Call does, without telling the observer.
    Variant Invoke(const std::string& method, const std::vector<Variant>& args);
    /// A new session after the server said the call's had ended; "" when none can be had.
    std::string Renewed();
    /// The result of an answer, checked to be this call's (`id`).
    Variant ReadReply(const std::string& method, long long id, const std::string& text);
    Client& EnsureClient();
    /// Runs BeforeConnect and the handshake; the pt-BR reason of a failure, or "".
    std::string Handshake();
    /// Shows a connection failure, once for a burst of failed attempts with one reason.
    void ReportFailure(const std::string& text);
    std::string Where() const;
    /// What a call the server left unanswered says.
    std::string SilenceText(const std::string& method, const std::string& where) const;

    std::string serverName_;
    std::string host_ = "127.0.0.1";
    int port_ = 8211;
    std::string token_;
    std::string session_;
    struct Credentials {
        std::string op, password, branch;
        int module = 0;
    };
    std::optional<Credentials> credentials_;
    bool throwException_ = true;
    bool connected_ = false;
    int timeout_ = 20;
    size_t maxReply_ = size_t{2} << 30;
    bool tls_ = false;
    std::string caFile_;
    long long nextId_ = 1;
    std::unique_ptr<Client> client_;
    /// The last write whose answer never came (its method and arguments, and its key).
    std::optional<std::pair<std::string, std::string>> unknown_;
    std::string lastReported_;
    std::chrono::steady_clock::time_point lastReportedAt_;
};
