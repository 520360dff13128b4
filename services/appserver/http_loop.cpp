// The front's loop: one thread that accepts connections, reads requests whole, hands
// them to the workers and writes their answers, for every connection at once.
#include "appserver/http_front.h"

#include "appserver/http_front_impl.h"
#include "appserver/metrics.h"

#include <boost/asio/post.hpp>

#include <fcntl.h>
#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

namespace oca::server {

void HttpFront::Impl::Serve() {
    ArmAccept();
    ArmSweep();
    io.run();
    Finish();
    // The operations the closing cancelled come back now and let go of their connections.
    io.restart();
    io.poll();
}

void HttpFront::Impl::ArmSweep() {
    sweepTimer.expires_after(std::chrono::milliseconds(50));
    sweepTimer.async_wait([this](const boost::system::error_code& error) {
        if (!error) {
            Sweep();
        }
    });
}

// A stop lets the calls already read finish and their answers go out, for a while: a
// write stored while its answer was lost to a restart would be sent again by its client
// to a server that no longer remembers it. Nothing new is taken meanwhile.
void HttpFront::Impl::Drain() {
    if (!draining) {
        draining = true;
        drainUntil = Clock::now() + std::chrono::milliseconds(options.drainTimeoutMs);
        // Closed, not just left unread: a new client is refused at once instead of waiting
        // in the queue for the drain to end.
        boost::system::error_code ignored;
        acceptor.close(ignored);
    }
    std::vector<ConnectionPtr> quiet;
    for (const auto& [id, c] : connections) {
        if (c->phase != Phase::Working && c->phase != Phase::Writing) {
            quiet.push_back(c);
        }
    }
    for (const ConnectionPtr& c : quiet) {
        Close(*c);
    }
    if (connections.empty() || Clock::now() >= drainUntil) {
        io.stop();
    }
}

void HttpFront::Impl::Finish() {
    for (auto& [id, c] : connections) {
        if (c->gone) {
            *c->gone = true;
        }
        if (c->stream) {
            const std::lock_guard<std::mutex> lock(c->stream->mutex);
            c->stream->gone = true;
            c->stream->drained.notify_all();
        }
        c->closed = true;
        boost::system::error_code ignored;
        c->socket.close(ignored);
    }
    connections.clear();
    byActivity.clear();
    Metrics().openConnections = 0;
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        jobs.clear();
    }
    jobsReady.notify_all();
}

void HttpFront::Impl::ArmAccept() {
    acceptor.async_wait(asio::ip::tcp::acceptor::wait_read,
                        [this](const boost::system::error_code& error) {
                            if (!error && !draining) {
                                Accept();
                            }
                        });
}

// Taken with accept4 on the acceptor's descriptor: what Asio would take leaks into
// children and cannot tell the two ways of running out of descriptors from the others.
void HttpFront::Impl::Accept() {
    for (;;) {
        const int fd =
            ::accept4(acceptor.native_handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
            if (CloseLongestIdle()) {
                continue;
            }
            // Left waiting, the connection would wake this loop again at once, forever.
            TurnAway();
            break;
        }
        if (fd < 0) {
            break; // EAGAIN, or a failure that the next readiness retries
        }
        if (connections.size() >= connectionCap && !CloseLongestIdle()) {
            Refuse(fd); // every connection held is busy with a request
            continue;
        }
        Open(fd);
    }
    if (acceptingAgainAt == Clock::time_point()) {
        ArmAccept();
    }
}

// A read-side operation (a wait for bytes, a TLS handshake) as it comes back: nothing
// for a connection closed meanwhile, a close when it failed, `next` otherwise.
template <typename Next> auto HttpFront::Impl::ThenOnReadSide(const ConnectionPtr& c, Next next) {
    return [this, c, next](const boost::system::error_code& error) {
        c->reading = false;
        if (c->closed) {
            return;
        }
        if (error) {
            Close(*c);
            return;
        }
        next(c);
    };
}

void HttpFront::Impl::Open(int fd) {
    asio::ip::tcp::socket socket(io);
    boost::system::error_code error;
    socket.assign(acceptor.local_endpoint().protocol(), fd, error);
    if (error) {
        ::close(fd);
        return;
    }
    // Answers go out at once: with Nagle's delay every call would wait for an ACK.
    socket.set_option(asio::ip::tcp::no_delay(true), error);
    // Reads in the clear take what is there and come back: they never wait.
    socket.non_blocking(true, error);
    const std::uint64_t id = nextId++;
    auto c = std::make_shared<Connection>(id, std::move(socket));
    connections.emplace(id, c);
    Metrics().openConnections = static_cast<std::int64_t>(connections.size());
    c->lastActive = Clock::now();
    c->byActivity = byActivity.insert(byActivity.end(), id);
    c->deadline = c->lastActive + std::chrono::milliseconds(options.idleTimeoutMs);
    if (!tls) {
        ArmRead(c);
        return;
    }
    // The handshake is bounded by the idle deadline, like a client that says nothing.
    c->tls.emplace(c->socket, *tls);
    c->reading = true;
    c->tls->async_handshake(
        asio::ssl::stream_base::server,
        ThenOnReadSide(c, [this](const ConnectionPtr& ready) { ArmRead(ready); }));
}

void HttpFront::Impl::TurnAway() {
    if (spareFd >= 0) {
        ::close(spareFd);
        spareFd = -1;
    }
    const int fd =
        ::accept4(acceptor.native_handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
        Refuse(fd);
    } else if (errno == EMFILE || errno == ENFILE) {
        // Not even the spare helped (another thread took it): waiting connections stay
        // queued for a moment instead of waking this loop again at once.
        acceptingAgainAt = Clock::now() + std::chrono::milliseconds(100);
    }
    spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

void HttpFront::Impl::Refuse(int fd) {
    if (!tls) {
        static const std::string busy =
            HttpAnswer(503, kJson, ErrorBody("servidor ocupado; tente de novo"), false);
        [[maybe_unused]] const auto n = ::send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
    }
    ::close(fd);
}

void HttpFront::Impl::Close(Connection& c) {
    if (c.closed) {
        return;
    }
    c.closed = true;
    if (c.gone) {
        *c.gone = true;
    }
    if (c.stream) {
        const std::lock_guard<std::mutex> lock(c.stream->mutex);
        c.stream->gone = true;
        streamBytes -= c.stream->queued; // dropped unsent
        c.stream->queued = 0;
        c.stream->drained.notify_all();
    }
    ReleaseBody(c);
    byActivity.erase(c.byActivity);
    // Its operations come back cancelled; each holds the connection until then.
    boost::system::error_code ignored;
    c.socket.close(ignored);
    connections.erase(c.id);
    Metrics().openConnections = static_cast<std::int64_t>(connections.size());
}

bool HttpFront::Impl::CloseLongestIdle() {
    // The least recently active first: a connection busy with a request is passed over,
    // and those are few (one per worker, queued request or answer going out).
    for (const std::uint64_t id : byActivity) {
        const ConnectionPtr c = connections.at(id);
        if (c->phase == Phase::Idle || c->phase == Phase::Head) {
            Close(*c);
            return true;
        }
    }
    return false;
}

void HttpFront::Impl::Touch(Connection& c) {
    c.lastActive = Clock::now();
    byActivity.splice(byActivity.end(), byActivity, c.byActivity);
}

// -- Reading ----------------------------------------------------------------------------

size_t HttpFront::Impl::ReadLimit(const Connection& c) const {
    // Never hold more than one request's worth of unread bytes, nor more than a head's
    // before the head says who is asking. While a call runs or its answer goes out, only a
    // head's worth of what is sent next is taken (and a hang-up seen); the rest waits in
    // the system, as a body past the budget would.
    return c.phase == Phase::Body ? options.maxHead + options.maxBody : options.maxHead;
}

void HttpFront::Impl::ArmRead(const ConnectionPtr& c) {
    if (c->reading || c->closed || c->in.size() > ReadLimit(*c)) {
        return;
    }
    c->reading = true;
    if (!c->tls) {
        c->socket.async_wait(
            asio::ip::tcp::socket::wait_read,
            ThenOnReadSide(c, [this](const ConnectionPtr& ready) { ReadPlain(ready); }));
        return;
    }
    if (!c->tlsBuffer) {
        c->tlsBuffer = std::make_unique<char[]>(kReadBuffer);
    }
    c->tls->async_read_some(asio::buffer(c->tlsBuffer.get(), kReadBuffer),
                            [this, c](const boost::system::error_code& error, size_t size) {
                                c->reading = false;
                                if (c->closed) {
                                    return;
                                }
                                Take(*c, c->tlsBuffer.get(), size);
                                const bool ended = error == asio::error::eof;
                                AfterRead(c, ended, error && !ended);
                            });
}

void HttpFront::Impl::ReadPlain(const ConnectionPtr& c) {
    bool ended = false;
    bool failed = false;
    while (c->in.size() <= ReadLimit(*c)) {
        boost::system::error_code error;
        const size_t n = c->socket.read_some(asio::buffer(readBuffer.get(), kReadBuffer), error);
        Take(*c, readBuffer.get(), n);
        if (error == asio::error::would_block || error == asio::error::try_again) {
            break;
        }
        if (error) {
            // The client is done sending; what it sent may still be a whole request.
            ended = error == asio::error::eof;
            failed = !ended;
            break;
        }
    }
    AfterRead(c, ended, failed);
}

void HttpFront::Impl::Take(Connection& c, const char* data, size_t size) {
    if (size == 0) {
        return;
    }
    if (c.phase == Phase::Draining) {
        return; // read only so that closing does not reset the answer just written
    }
    if (c.phase == Phase::Idle) {
        c.phase = Phase::Head;
        c.deadline = Clock::now() + std::chrono::milliseconds(options.headTimeoutMs);
    }
    c.in.append(data, size);
    Touch(c);
}

void HttpFront::Impl::AfterRead(const ConnectionPtr& c, bool ended, bool failed) {
    if (failed) {
        Close(*c);
        return;
    }
    c->ended = c->ended || ended;
    switch (c->phase) {
    case Phase::Draining:
        if (ended) {
            Close(*c);
        } else if (c->shutdownWanted) {
            ShutDownTls(c);
        } else {
            ArmRead(c);
        }
        return;
    case Phase::Working:
        // A client that goes away while its call runs stops the call.
        if (ended) {
            Close(*c);
            return;
        }
        break;
    case Phase::Writing:
        // The answer still goes out; nothing more will be read.
        if (ended) {
            c->closeAfter = true;
            return;
        }
        break;
    default:
        if (ended) {
            c->closeAfter = true;
        }
        Advance(*c);
        if (ended) {
            return;
        }
        break;
    }
    ArmRead(c);
}

void HttpFront::Impl::Advance(Connection& c) {
    if (c.phase == Phase::Idle && c.in.empty()) {
        if (c.closeAfter) {
            Close(c);
        }
        return;
    }
    if (c.phase == Phase::Idle) {
        c.phase = Phase::Head;
        c.deadline = Clock::now() + std::chrono::milliseconds(options.headTimeoutMs);
    }
    if (c.phase == Phase::Head) {
        const HeadStatus status = ParseRequestHead(c.in, c.request, c.headSize);
        if (status == HeadStatus::Incomplete) {
            if (c.in.size() > options.maxHead) {
                Answer(c, HttpAnswer(431, kJson, ErrorBody("cabeçalho grande demais"), false),
                       true);
            } else if (c.closeAfter) {
                Close(c);
            }
            return;
        }
        if (status == HeadStatus::Bad || c.headSize > options.maxHead) {
            Answer(c, HttpAnswer(400, kJson, ErrorBody("requisição HTTP inválida"), false), true);
            return;
        }
        StartRequest(c);
        return;
    }
    if (c.phase == Phase::Body) {
        if (c.in.size() - c.headSize >= c.request.contentLength) {
            c.request.body = c.in.substr(c.headSize, c.request.contentLength);
            c.in.erase(0, c.headSize + c.request.contentLength);
            Dispatch(c);
        } else if (c.closeAfter) {
            Close(c);
        }
    }
}

// A request whose head is read: refused at once when it cannot be served, so that a
// large body from a client without the token is never read.
void HttpFront::Impl::StartRequest(Connection& c) {
    const HttpRequest& r = c.request;
    const auto refuse = [&](int status, const char* text) {
        Answer(c, HttpAnswer(status, kJson, ErrorBody(text), false), true);
    };
    // For load balancers and the monitoring, beside the object: alive and ready without the
    // token, the figures with it.
    const bool monitoring = r.method == "GET" && (r.target == "/health" || r.target == "/ready" ||
                                                  r.target == "/metrics");
    if (monitoring && r.target == "/health") {
        return Answer(c, HttpAnswer(200, "text/plain; charset=utf-8", "vivo\n", false), true);
    }
    if (r.target != kPath && !monitoring) {
        return refuse(404, "objeto desconhecido");
    }
    if (r.method != "GET" && r.method != "POST") {
        return refuse(405, "método HTTP não aceito");
    }
    if (!options.token.empty() && r.target != "/ready") {
        const std::string* auth = r.Header("authorization");
        if (!auth || !SameSecret(*auth, "Bearer " + options.token)) {
            LogLine("-", "-", false, "HTTP 401", Clock::now());
            return refuse(401, "não autorizado");
        }
    }
    if (r.method == "POST") {
        if (r.chunked || !r.hasContentLength) {
            return refuse(411, "informe Content-Length");
        }
        if (r.contentLength > options.maxBody) {
            return refuse(413, "requisição grande demais");
        }
        // Bodies being read or waiting for a worker take memory until answered: all
        // together they are bounded, whatever the number of connections.
        if (bodiesHeld + r.contentLength > options.maxBodiesHeld) {
            return refuse(503, "servidor ocupado; tente de novo");
        }
        c.bodyHeld = r.contentLength;
        bodiesHeld += c.bodyHeld;
        const std::string* expect = r.Header("expect");
        if (expect && *expect == "100-continue" && c.in.size() == c.headSize) {
            // Sent while the body is read: the phase stays.
            c.queue.push_back(HttpAnswer(100, "", "", true));
            ArmWrite(connections.at(c.id));
        }
        c.phase = Phase::Body;
        c.deadline = Clock::now() + std::chrono::milliseconds(options.bodyTimeoutMs);
        Advance(c);
        return;
    }
    c.request.body.clear();
    c.in.erase(0, c.headSize);
    Dispatch(c);
}

void HttpFront::Impl::Dispatch(Connection& c) {
    if (c.ended) {
        // A client that stopped sending before its answer began is taken as gone, as one
        // that does so while its call runs: TCP cannot tell a hang-up from a half-close.
        Close(c);
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        if (jobs.size() < options.maxQueued) {
            c.phase = Phase::Working;
            c.gone = std::make_shared<std::atomic<bool>>(false);
            c.stream = std::make_shared<StreamState>();
            const bool quick = QuickCall(c.request);
            Metrics().queuedRequests = static_cast<std::int64_t>(jobs.size() + 1);
            boost::system::error_code error;
            const auto peer = c.socket.remote_endpoint(error);
            jobs.push_back(Job{c.id, std::move(c.request), c.gone, c.stream, Clock::now(), quick,
                               error ? std::string() : peer.address().to_string()});
        }
    }
    if (c.phase != Phase::Working) {
        Answer(c, HttpAnswer(503, kJson, ErrorBody("servidor ocupado; tente de novo"), false),
               true);
        return;
    }
    // Every worker may take it, or only the general ones: tell them all.
    jobsReady.notify_all();
}

// -- Writing ----------------------------------------------------------------------------

void HttpFront::Impl::Answer(Connection& c, std::string text, bool close) {
    std::vector<std::string> pieces;
    pieces.push_back(std::move(text));
    Send(c, std::move(pieces), close, false);
}

void HttpFront::Impl::Send(Connection& c, std::vector<std::string> pieces, bool close, bool more) {
    c.phase = Phase::Writing;
    for (std::string& piece : pieces) {
        if (!piece.empty()) {
            c.queue.push_back(std::move(piece));
        }
    }
    c.streaming = more;
    c.closeAfter = c.closeAfter || close;
    c.deadline = Clock::now() + std::chrono::milliseconds(options.writeTimeoutMs);
    ArmWrite(connections.at(c.id));
}

void HttpFront::Impl::ArmWrite(const ConnectionPtr& c) {
    if (c->writing || c->closed) {
        return;
    }
    if (c->queue.empty()) {
        Written(*c);
        return;
    }
    const auto done = [this, c](const boost::system::error_code& error, size_t size) {
        c->writing = false;
        if (c->closed) {
            return;
        }
        if (error) {
            Close(*c);
            return;
        }
        Consume(*c, size);
        c->deadline = Clock::now() + std::chrono::milliseconds(options.writeTimeoutMs);
        ArmWrite(c);
    };
    c->writing = true;
    const std::string& first = c->queue.front();
    if (c->tls) {
        c->tls->async_write_some(asio::buffer(first.data() + c->sent, first.size() - c->sent),
                                 done);
        return;
    }
    // In the clear, the small pieces of a chunked answer go out together.
    constexpr size_t kGathered = 16;
    std::vector<asio::const_buffer> buffers;
    buffers.reserve(std::min(kGathered, c->queue.size()));
    buffers.emplace_back(first.data() + c->sent, first.size() - c->sent);
    for (auto it = std::next(c->queue.begin()); it != c->queue.end() && buffers.size() < kGathered;
         ++it) {
        buffers.emplace_back(it->data(), it->size());
    }
    c->socket.async_write_some(buffers, done);
}

void HttpFront::Impl::Consume(Connection& c, size_t size) {
    while (size > 0 && !c.queue.empty()) {
        const size_t pieceSize = c.queue.front().size();
        const size_t taken = std::min(size, pieceSize - c.sent);
        c.sent += taken;
        size -= taken;
        if (c.sent < pieceSize) {
            return;
        }
        c.trimAfter = c.trimAfter || pieceSize > (16 << 20);
        if (c.stream) {
            const std::lock_guard<std::mutex> lock(c.stream->mutex);
            const size_t done = std::min(c.stream->queued, pieceSize);
            c.stream->queued -= done;
            streamBytes -= done;
            c.stream->drained.notify_all();
        }
        c.queue.pop_front();
        c.sent = 0;
    }
}

void HttpFront::Impl::Written(Connection& c) {
    if (c.trimAfter) {
        // A large answer's memory goes back to the system, not to this process's heap:
        // the server returns to its idle size after a load.
        c.trimAfter = false;
        ::malloc_trim(0);
    }
    if (c.phase != Phase::Writing) {
        return; // an interim answer (100 Continue) went out
    }
    if (c.streaming) {
        // Sent all there is; the worker writes more.
        c.deadline = Clock::time_point::max();
        return;
    }
    if (c.closeAfter) {
        Linger(c);
        return;
    }
    ReleaseBody(c);
    c.phase = Phase::Idle;
    c.gone.reset();
    c.stream.reset();
    Touch(c);
    c.deadline = c.lastActive + std::chrono::milliseconds(options.idleTimeoutMs);
    const ConnectionPtr self = connections.at(c.id);
    if (!c.in.empty()) {
        Advance(c); // a request sent before this answer was asked for
    }
    ArmRead(self);
}

void HttpFront::Impl::ReleaseBody(Connection& c) {
    bodiesHeld -= c.bodyHeld;
    c.bodyHeld = 0;
}

// Closing with unread bytes would reset the connection and the client could lose the
// answer just written (a refusal of a large body, say): the sending side is closed first
// and what still comes in is read and dropped for a moment.
void HttpFront::Impl::Linger(Connection& c) {
    ReleaseBody(c);
    c.phase = Phase::Draining;
    c.in = std::string();
    c.queue.clear();
    c.deadline = Clock::now() + std::chrono::seconds(2);
    const ConnectionPtr self = connections.at(c.id);
    if (c.tls) {
        // The session's end is told (close_notify) once no read is under way on it.
        if (c.reading) {
            c.shutdownWanted = true;
        } else {
            ShutDownTls(self);
        }
        return;
    }
    boost::system::error_code ignored;
    c.socket.shutdown(asio::socket_base::shutdown_send, ignored);
    ArmRead(self);
}

void HttpFront::Impl::ShutDownTls(const ConnectionPtr& c) {
    c->shutdownWanted = false;
    c->reading = true;
    c->tls->async_shutdown([this, c](const boost::system::error_code&) {
        c->reading = false;
        Close(*c);
    });
}

void HttpFront::Impl::TakeFinished() {
    std::vector<Done> done;
    {
        const std::lock_guard<std::mutex> lock(doneMutex);
        done.swap(finished);
    }
    for (Done& d : done) {
        const auto it = connections.find(d.connection);
        if (it == connections.end()) {
            continue;
        }
        const ConnectionPtr c = it->second;
        if (d.abort) {
            Close(*c);
            continue;
        }
        Send(*c, std::move(d.pieces), d.close, d.more);
    }
}

void HttpFront::Impl::Sweep() {
    if (stopping) {
        Drain();
        if (io.stopped()) {
            return;
        }
    }
    const auto now = Clock::now();
    if (acceptingAgainAt != Clock::time_point() && now >= acceptingAgainAt && !draining) {
        acceptingAgainAt = Clock::time_point();
        ArmAccept();
    }
    std::vector<ConnectionPtr> late;
    for (const auto& [id, c] : connections) {
        if (c->phase != Phase::Working && now >= c->deadline) {
            late.push_back(c);
        }
    }
    for (const ConnectionPtr& c : late) {
        if ((c->phase == Phase::Head || c->phase == Phase::Body) && !c->writing) {
            // Told why, for a moment; a client too slow to read it is simply dropped.
            Answer(*c, HttpAnswer(408, kJson, ErrorBody("requisição lenta demais"), false), true);
            c->deadline = now + std::chrono::seconds(1);
        } else {
            Close(*c);
        }
    }
    ArmSweep();
}

} // namespace oca::server
