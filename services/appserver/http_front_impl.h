#pragma once
// The state of the HTTP front, shared by its two halves: the loop that reads requests and
// writes answers (http_loop.cpp, set up in http_front.cpp) and the workers that answer them
// (http_respond.cpp). The loop runs on Asio: one io_context, run by one thread, owns every
// connection, so that nothing of a connection needs a lock but what a worker shares.

#include "appserver/http_front.h"
#include "appserver/http_request.h"
#include "appserver/jsonrpc.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace oca::server {

namespace front {

using Clock = std::chrono::steady_clock;
constexpr const char* kJson = "application/json; charset=utf-8";
/// What one read takes at most.
constexpr size_t kReadBuffer = 64 << 10;

inline std::string ErrorBody(const char* text) {
    return std::string("{\"error\":\"") + text + "\"}";
}

} // namespace front

using front::Clock;
using front::ErrorBody;
using front::kJson;
using front::kReadBuffer;

namespace asio = boost::asio;

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

    /// One client's connection. Owned by the loop; an operation under way holds it too, so
    /// that a closed connection lives until its last operation has come back cancelled.
    struct Connection {
        Connection(std::uint64_t id, asio::ip::tcp::socket socket)
            : id(id), socket(std::move(socket)) {}
        std::uint64_t id;
        asio::ip::tcp::socket socket;
        /// With TLS: the session over `socket`, and where its reads land. Reads in the clear
        /// wait for bytes and take them into the loop's buffer: an idle connection holds none.
        std::optional<asio::ssl::stream<asio::ip::tcp::socket&>> tls;
        std::unique_ptr<char[]> tlsBuffer;
        bool reading = false; ///< a read (or the TLS handshake or shutdown) is under way
        bool writing = false;
        bool closed = false;
        bool shutdownWanted = false; ///< TLS: close the session once the read comes back
        bool trimAfter = false;      ///< a large piece went out: give its memory back
        Phase phase = Phase::Idle;
        std::string in;
        std::deque<std::string> queue; ///< pieces of answers to send, in order
        size_t sent = 0;               ///< bytes of queue.front() already sent
        bool streaming = false;        ///< a worker is still sending pieces of the answer
        std::shared_ptr<StreamState> stream;
        HttpRequest request;
        size_t headSize = 0;
        bool closeAfter = false;
        bool ended = false;  ///< the client has closed its sending side
        size_t bodyHeld = 0; ///< the request's body, counted in bodiesHeld until answered
        Clock::time_point deadline;
        Clock::time_point lastActive;
        std::list<std::uint64_t>::iterator byActivity; ///< its place in Impl::byActivity
        std::shared_ptr<std::atomic<bool>> gone;
    };
    using ConnectionPtr = std::shared_ptr<Connection>;

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
    void Serve();
    void Shutdown();

    // The loop's own work.
    void ArmAccept();
    void Accept();
    void Open(int fd);
    void ArmSweep();
    void Sweep();
    /// After a stop: closes the connections that wait for nothing, and ends the loop once
    /// the calls already read are answered or drainTimeoutMs has passed.
    void Drain();
    /// The loop's end: calls still under way are told their clients are gone.
    void Finish();

    /// Waits for the client's bytes (or, with TLS, reads them) while the connection
    /// can take more.
    void ArmRead(const ConnectionPtr& c);
    void ReadPlain(const ConnectionPtr& c);
    template <typename Next> auto ThenOnReadSide(const ConnectionPtr& c, Next next);
    /// Bytes came in.
    void Take(Connection& c, const char* data, size_t size);
    /// A read is over: the client ended (`ended`) or failed (`failed`), or more may come.
    void AfterRead(const ConnectionPtr& c, bool ended, bool failed);
    size_t ReadLimit(const Connection& c) const;
    void Advance(Connection& c);
    void StartRequest(Connection& c);
    void Dispatch(Connection& c);
    void Answer(Connection& c, std::string text, bool close);
    /// Queues pieces of an answer and starts sending them.
    void Send(Connection& c, std::vector<std::string> pieces, bool close, bool more);
    /// Sends what is queued, a piece after the other.
    void ArmWrite(const ConnectionPtr& c);
    /// `size` more bytes of the queue went out.
    void Consume(Connection& c, size_t size);
    /// Everything queued went out.
    void Written(Connection& c);
    void Close(Connection& c);
    void Linger(Connection& c);
    void ShutDownTls(const ConnectionPtr& c);
    /// The request is answered or dropped: its body no longer counts.
    void ReleaseBody(Connection& c);
    void TakeFinished();
    /// Makes room for one more connection: closes the longest idle one; false when every
    /// connection is busy with a request.
    bool CloseLongestIdle();
    /// The connection did something: it goes to the end of byActivity.
    void Touch(Connection& c);
    /// Takes a waiting connection only to refuse it, when no descriptor is left for it.
    void TurnAway();
    /// Tells a connection that cannot be served now to come back, and closes it.
    void Refuse(int fd);

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
    // Declared before everything that holds a socket or a handler, so that it goes last.
    asio::io_context io{1};
    asio::ip::tcp::acceptor acceptor{io};
    asio::steady_timer sweepTimer{io};
    std::optional<asio::ssl::context> tls;
    /// Where reads in the clear land, for every connection in turn.
    std::unique_ptr<char[]> readBuffer;
    /// Held open only to be given up when the process has no descriptor left, so that a
    /// waiting connection can still be taken off the queue and closed.
    int spareFd = -1;
    /// Connections held at most: the option, within the process's descriptor limit.
    size_t connectionCap = 0;
    /// While set, connections are not taken until then (no descriptor was left at all).
    Clock::time_point acceptingAgainAt{};
    int port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<bool> drainCounted{false};
    bool draining = false; ///< the loop's own: the stop was seen, the calls read finish
    Clock::time_point drainUntil{};
    bool workersQuit = false; ///< under jobsMutex: the workers return
    std::thread loopThread;

    std::unordered_map<std::uint64_t, ConnectionPtr> connections;
    /// The connections, least recently active first: the one to close to make room is
    /// found without looking at them all.
    std::list<std::uint64_t> byActivity;
    std::uint64_t nextId = 1;

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
