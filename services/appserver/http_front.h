#pragma once

#include "appserver/jsonrpc.h"
#include "appserver/server.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace oca::server {

struct HttpOptions {
    std::string host = "127.0.0.1";
    int port = 8211;   ///< 0 picks a free port
    std::string token; ///< when set, requests need "Authorization: Bearer <token>"
    int threads = 8;
    size_t maxBody = 8 << 20; ///< larger bodies get HTTP 413
    int readTimeoutSeconds = 30;
    bool log = true; ///< one line per request on stderr
};

/// The HTTP/1.1 front of the server object: POST /rpc/OCA0080A.rdmOcorAtendimento with a
/// JSON-RPC 2.0 body. A GET of the same path is the connection handshake: it answers
/// {"object": ..., "wire": N} without running any method of the object.
class HttpFront {
public:
    HttpFront(OcorAtendimento& server, HttpOptions options);
    ~HttpFront();

    /// Binds and serves on a thread of its own; returns the port (useful with port 0).
    /// Raises std::runtime_error when the address cannot be bound.
    int Start();
    /// Binds and serves on the calling thread until Stop.
    void Run();
    void Stop();
    int Port() const { return port_; }

    static constexpr const char* kObject = "OCA0080A.rdmOcorAtendimento";
    static constexpr const char* kPath = "/rpc/OCA0080A.rdmOcorAtendimento";
    /// The wire's version: a client that speaks another refuses to connect.
    static constexpr int kWireVersion = 1;

private:
    void Bind();
    /// False, with the 401 answer written, when a token is required and not given.
    bool Authorized(const httplib::Request& req, httplib::Response& res, RpcOutcome& outcome) const;
    void Log(const RpcOutcome& outcome, std::chrono::steady_clock::time_point started) const;
    OcorAtendimento& server_;
    HttpOptions options_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace oca::server
