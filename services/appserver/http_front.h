#pragma once

#include "appserver/jsonrpc.h"
#include "appserver/server.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace oca::server {

struct HttpOptions {
    std::string host = "127.0.0.1";
    int port = 8211;   ///< 0 picks a free port
    std::string token; ///< when set, requests need "Authorization: Bearer <token>"
    int threads = 8;   ///< workers that run calls; reading and writing never take one
    /// More workers, for quick calls only (one call that is not a whole selection or a
    /// panel's period): a person's confirm or lookup never waits behind long loads.
    int quickThreads = 2;
    size_t maxBody = 8 << 20; ///< larger bodies get HTTP 413, before they are read
    /// Request bodies being read or waiting for their answer, all together; a request that
    /// would pass it gets HTTP 503 before its body is read.
    size_t maxBodiesHeld = size_t{256} << 20;
    size_t maxHead = 16 << 10;          ///< larger request heads get HTTP 431
    int headTimeoutMs = 10000;          ///< from a request's first byte to the end of its head
    int bodyTimeoutMs = 30000;          ///< from the end of the head to the end of the body
    int idleTimeoutMs = 60000;          ///< a kept-alive connection with no request is closed
    int writeTimeoutMs = 30000;         ///< an answer the client stops reading is dropped
    int callTimeoutMs = 120000;         ///< a call's work is stopped past this
    int drainTimeoutMs = 10000;         ///< on a stop, calls already read may finish for this long
    size_t maxAnswer = size_t{1} << 30; ///< larger answers are refused with an error
    /// A batch's answers are gathered before they go out: their limit is lower.
    size_t maxBatchAnswer = 16 << 20;
    /// Past this (or past what the process's descriptor limit allows), the longest idle
    /// connections are closed to make room.
    size_t maxConnections = 10000;
    size_t maxQueued = 1024; ///< read requests waiting for a worker
    /// A large answer goes out as it is read: its worker waits while this much is unsent,
    /// for at most streamPatienceMs, and then buffers the rest for a client that lags.
    size_t streamQueued = 4 << 20;
    int streamPatienceMs = 2000;
    /// What clients that fell behind may leave unsent, all together; the answer that would
    /// pass it is cut off (its client could not keep up).
    size_t maxStreamBuffered = size_t{256} << 20;
    bool log = true; ///< one line per call on stderr
    /// The call lines as JSON objects (time, operator, method, id, duration, outcome,
    /// result), for journald and log shippers.
    bool logJson = false;
    /// With both set, the front speaks only HTTPS: the certificate chain and its private
    /// key, PEM files. For servers that listen beyond loopback.
    std::string tlsCert;
    std::string tlsKey;
};

/// The HTTP/1.1 front of the server object: POST /rpc/OCA0080A.rdmOcorAtendimento with a
/// JSON-RPC 2.0 body. A GET of the same path is the connection handshake: it answers
/// {"object": ..., "wire": N} without running any method of the object.
///
/// One thread reads requests and writes answers for every connection; only a request
/// read whole reaches a worker. A slow or idle client therefore holds no worker, and a
/// client that goes away while its call runs stops the call.
class HttpFront {
public:
    HttpFront(OcorAtendimento& server, HttpOptions options);
    ~HttpFront();
    HttpFront(const HttpFront&) = delete;
    HttpFront& operator=(const HttpFront&) = delete;

    /// Binds and serves on threads of its own; returns the port (useful with port 0).
    /// Raises std::runtime_error when the address cannot be bound.
    int Start();
    /// Binds and serves on the calling thread until Stop; `listening` is told the port
    /// once it is bound.
    void Run(const std::function<void(int port)>& listening = nullptr);
    /// Stops taking requests, lets the calls already read finish and answer (for at most
    /// drainTimeoutMs; past that they are asked to stop) and waits for the threads.
    void Stop();
    /// Asks Run to return soon; safe from a signal handler.
    void RequestStop();
    int Port() const;

    static constexpr const char* kObject = "OCA0080A.rdmOcorAtendimento";
    static constexpr const char* kPath = "/rpc/OCA0080A.rdmOcorAtendimento";
    /// The wire's version: a client that speaks another refuses to connect.
    static constexpr int kWireVersion = 1;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// Compares a presented secret with the expected one in time that does not depend on
/// where they differ.
bool SameSecret(const std::string& given, const std::string& expected);

/// A request text fit for a log line: control bytes and "\\" escaped, cut at `limit`
/// bytes, so that no client can forge or break lines of the log.
std::string LogSafe(const std::string& text, size_t limit);

} // namespace oca::server
