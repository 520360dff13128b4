#pragma once
// The state of the HTTP front, shared by its two halves: the loop that reads requests and
// writes answers (http_loop.cpp, set up in http_front.cpp) and the workers that answer them
// (http_respond.cpp).

#include "appserver/http_front.h"
#include "appserver/http_request.h"
#include "appserver/jsonrpc.h"

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace oca::server {

namespace front {

using Clock = std::chrono::steady_clock;
constexpr const char* kJson = "application/json; charset=utf-8";

inline std::string ErrorBody(const char* text) {
    return std::string("{\"error\":\"") + text + "\"}";
}

} // namespace front

using front::Clock;
using front::ErrorBody;
using front::kJson;

struct HttpFront::Impl {
    enum class Phase { Idle, Head, Body, Working, Writing, Draining };

    /// The pieces of one streamed answer not yet sent: the worker that writes them waits
    /// while too many are, so that a large answer never lies whole in memory.
    struct StreamState {
        std::mutex mutex;
        std::condition_variable drained;
        size_t queued = 0;
        bool gone = false;
        bool buffered = false; ///< the client fell behind: the worker no longer waits
    };

    struct Connection {
        int fd = -1;
        Phase phase = Phase::Idle;
        std::string in;
        std::deque<std::string> queue; ///< pieces of answers to send, in order
        size_t sent = 0;               ///< bytes of queue.front() already sent
        bool streaming = false;        ///< a worker is still sending pieces of the answer
        std::shared_ptr<StreamState> stream;
        HttpRequest request;
        size_t headSize = 0;
        bool closeAfter = false;
        size_t bodyHeld = 0; ///< the request's body, counted in bodiesHeld until answered
        Clock::time_point deadline;
        Clock::time_point lastActive;
        std::list<std::uint64_t>::iterator byActivity; ///< its place in Impl::byActivity
        std::shared_ptr<std::atomic<bool>> gone;
        SSL* ssl = nullptr; ///< with TLS: the session over fd
    };

    struct Job {
        std::uint64_t connection;
        HttpRequest request;
        std::shared_ptr<std::atomic<bool>> gone;
        std::shared_ptr<StreamState> stream;
        Clock::time_point received;
        bool quick = false; ///< a quick call, which the reserved workers may take
        std::string origin; ///< the client's address, as the socket has it
    };

    /// What a worker hands to the loop: pieces of an answer to send.
    struct Done {
        std::uint64_t connection;
        std::vector<std::string> pieces;
        bool close = false;
        bool more = false;  ///< further pieces of this answer follow
        bool abort = false; ///< the answer broke off: the connection is closed
    };

    Impl(OcorAtendimento& server, HttpOptions options)
        : server(server), options(std::move(options)) {}
    ~Impl();

    void Bind();
    void SetUpTls();
    void StartWorkers();
    // Reading and writing, in the clear or over TLS: bytes moved, 0 when the peer closed,
    // kLater when nothing can move now, kFailed when the connection is broken.
    static constexpr long kLater = -1;
    static constexpr long kFailed = -2;
    long Receive(Connection& c, char* buffer, size_t size);
    long Transmit(Connection& c, const char* data, size_t size);
    void Serve();
    /// After a stop: answers the calls already read, for at most drainTimeoutMs.
    void Drain();
    void TakeWakeUp();
    void Shutdown();

    // The loop's own work.
    void Accept();
    void OnEvent(std::uint64_t id, std::uint32_t events);
    void ReadFrom(std::uint64_t id, Connection& c);
    void Advance(std::uint64_t id, Connection& c);
    void StartRequest(std::uint64_t id, Connection& c);
    void Dispatch(std::uint64_t id, Connection& c);
    void Answer(std::uint64_t id, Connection& c, std::string text, bool close);
    /// Queues pieces of an answer and starts sending them.
    void Send(std::uint64_t id, Connection& c, std::vector<std::string> pieces, bool close,
              bool more);
    void WriteTo(std::uint64_t id, Connection& c);
    void Close(std::uint64_t id);
    void Linger(std::uint64_t id, Connection& c);
    /// The request is answered or dropped: its body no longer counts.
    void ReleaseBody(Connection& c);
    void Watch(std::uint64_t id, Connection& c, std::uint32_t events);
    void TakeFinished();
    void Sweep();
    /// Makes room for one more connection: closes the longest idle one; false when every
    /// connection is busy with a request.
    bool CloseLongestIdle();
    /// The connection did something: it goes to the end of byActivity.
    void Touch(Connection& c);
    /// Takes a waiting connection only to refuse it, when no descriptor is left for it.
    void TurnAway();
    /// Tells a connection that cannot be served now to come back, and closes it.
    void Refuse(int fd);
    /// Stops taking connections for a moment; the sweep starts again.
    void PauseAccepting();

    // The workers' work.
    /// A worker's life; a reserved one takes quick jobs only.
    void Work(bool reserved);
    /// The answer to a request, in pieces (a large one is streamed before these, and
    /// `streamed` says so; `broken` when it broke off after it had begun to go out).
    std::vector<std::string> Respond(const Job& job, bool& close, bool& streamed, bool& broken);
    /// Hands pieces of a streamed answer to the loop, waiting while too much is queued;
    /// raises RpcError when the client has gone.
    void Stream(const Job& job, std::vector<std::string> pieces);
    void Hand(Done done);
    /// Takes the next job for a worker (for a reserved one, the next quick job), waiting
    /// for one; false once the workers must return.
    bool NextJob(bool reserved, Job& job);
    /// The calls' answer text; a large single answer is streamed before it returns the
    /// rest (`streamed`), and `broken` says it failed after it began to go out. Each write
    /// runs under `key` (the request's Idempotency-Key, "" without one) and its place.
    std::string RunCalls(const Job& job, const std::string& key, bool close, bool& streamed,
                         bool& broken);
    /// GET /ready and /metrics, run by a worker: the answer's whole text.
    std::string Monitoring(const std::string& target, bool keepAlive);
    void LogLine(const std::string& method, const std::string& id, bool notification,
                 const std::string& result, Clock::time_point started,
                 const std::string& op = "-") const;

    OcorAtendimento& server;
    HttpOptions options;
    int listenFd = -1;
    int epollFd = -1;
    int wakeFd = -1;
    /// Held open only to be given up when the process has no descriptor left, so that a
    /// waiting connection can still be taken off the queue and closed.
    int spareFd = -1;
    /// Connections held at most: the option, within the process's descriptor limit.
    size_t connectionCap = 0;
    /// While set, connections are not taken until then (no descriptor was left at all).
    Clock::time_point acceptingAgainAt{};
    int port = 0;
    SSL_CTX* tls = nullptr;
    std::atomic<bool> stopping{false};
    std::atomic<bool> drainCounted{false};
    bool workersQuit = false; ///< under jobsMutex: the workers return
    std::atomic<bool> serving{false};
    std::thread loopThread;

    std::unordered_map<std::uint64_t, Connection> connections;
    /// The connections, least recently active first: the one to close to make room is
    /// found without looking at them all.
    std::list<std::uint64_t> byActivity;
    std::uint64_t nextId = 2; // 0 and 1 name the listening socket and the wake-up

    std::mutex jobsMutex;
    std::condition_variable jobsReady;
    std::deque<Job> jobs;
    std::vector<std::thread> workers;

    std::mutex doneMutex;
    std::vector<Done> finished;

    size_t bodiesHeld = 0; ///< the loop's own: request bodies read or waiting, all together
    /// Bytes of streamed answers handed to the loop and not yet sent, for every connection.
    std::atomic<size_t> streamBytes{0};
};

} // namespace oca::server
