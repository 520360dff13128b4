// The front's loop: one thread that accepts connections, reads requests whole, hands
// them to the workers and writes their answers, for every connection at once.
#include "appserver/http_front.h"

#include "appserver/http_front_impl.h"
#include "appserver/metrics.h"

#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

namespace oca::server {

void HttpFront::Impl::Serve() {
    serving = true;
    std::vector<epoll_event> events(256);
    auto lastSweep = Clock::now();
    while (!stopping) {
        const int n = ::epoll_wait(epollFd, events.data(), static_cast<int>(events.size()), 50);
        for (int i = 0; i < n && !stopping; ++i) {
            const std::uint64_t id = events[static_cast<size_t>(i)].data.u64;
            if (id == 0) {
                Accept();
            } else if (id == 1) {
                TakeWakeUp();
            } else {
                OnEvent(id, events[static_cast<size_t>(i)].events);
            }
        }
        Metrics().openConnections = static_cast<std::int64_t>(connections.size());
        if (Clock::now() - lastSweep > std::chrono::milliseconds(50)) {
            Sweep();
            lastSweep = Clock::now();
        }
    }
    Drain();
    // Calls still under way are told their clients are gone, so the workers come back soon.
    for (auto& [id, c] : connections) {
        if (c.gone) {
            *c.gone = true;
        }
        if (c.stream) {
            const std::lock_guard<std::mutex> lock(c.stream->mutex);
            c.stream->gone = true;
            c.stream->drained.notify_all();
        }
        if (c.ssl) {
            SSL_free(c.ssl);
        }
        ::close(c.fd);
    }
    connections.clear();
    byActivity.clear();
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        jobs.clear();
    }
    jobsReady.notify_all();
    serving = false;
}

void HttpFront::Impl::TakeWakeUp() {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto r = ::read(wakeFd, &count, sizeof count);
    TakeFinished();
}

// A stop lets the calls already read finish and their answers go out, for a while: a
// write stored while its answer was lost to a restart would be sent again by its client
// to a server that no longer remembers it. Nothing new is taken meanwhile.
void HttpFront::Impl::Drain() {
    // Closed, not just left unread: a new client is refused at once instead of waiting in
    // the queue for the drain to end.
    ::epoll_ctl(epollFd, EPOLL_CTL_DEL, listenFd, nullptr);
    ::close(listenFd);
    listenFd = -1;
    const auto until = Clock::now() + std::chrono::milliseconds(options.drainTimeoutMs);
    std::vector<epoll_event> events(256);
    for (;;) {
        std::vector<std::uint64_t> quiet;
        for (const auto& [id, c] : connections) {
            if (c.phase != Phase::Working && c.phase != Phase::Writing) {
                quiet.push_back(id);
            }
        }
        for (std::uint64_t id : quiet) {
            Close(id);
        }
        if (connections.empty() || Clock::now() >= until) {
            return;
        }
        const int n = ::epoll_wait(epollFd, events.data(), static_cast<int>(events.size()), 50);
        for (int i = 0; i < n; ++i) {
            const std::uint64_t id = events[static_cast<size_t>(i)].data.u64;
            if (id == 1) {
                TakeWakeUp();
            } else if (id != 0) {
                OnEvent(id, events[static_cast<size_t>(i)].events);
            }
        }
    }
}

void HttpFront::Impl::Accept() {
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
            if (CloseLongestIdle()) {
                continue;
            }
            // Left waiting, the connection would wake this loop again at once, forever.
            TurnAway();
            return;
        }
        if (fd < 0) {
            return; // EAGAIN, or a failure that the next readiness retries
        }
        if (connections.size() >= connectionCap && !CloseLongestIdle()) {
            Refuse(fd); // every connection held is busy with a request
            continue;
        }
        const int yes = 1;
        // Answers go out at once: with Nagle's delay every call would wait for an ACK.
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        const std::uint64_t id = nextId++;
        Connection& c = connections[id];
        c.fd = fd;
        if (tls) {
            // The handshake happens in the first reads, on the loop like any other bytes.
            c.ssl = SSL_new(tls);
            SSL_set_fd(c.ssl, fd);
            SSL_set_accept_state(c.ssl);
        }
        c.lastActive = Clock::now();
        c.byActivity = byActivity.insert(byActivity.end(), id);
        c.deadline = c.lastActive + std::chrono::milliseconds(options.idleTimeoutMs);
        epoll_event ev{};
        ev.events = EPOLLIN | EPOLLRDHUP;
        ev.data.u64 = id;
        ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev);
    }
}

void HttpFront::Impl::TurnAway() {
    if (spareFd >= 0) {
        ::close(spareFd);
        spareFd = -1;
    }
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
        Refuse(fd);
    } else if (errno == EMFILE || errno == ENFILE) {
        // Not even the spare helped (another thread took it): waiting connections stay
        // queued for a moment instead of waking this loop again at once.
        PauseAccepting();
    }
    spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

void HttpFront::Impl::PauseAccepting() {
    epoll_event ev{};
    ev.data.u64 = 0;
    ::epoll_ctl(epollFd, EPOLL_CTL_MOD, listenFd, &ev);
    acceptingAgainAt = Clock::now() + std::chrono::milliseconds(100);
}

void HttpFront::Impl::Refuse(int fd) {
    if (!tls) {
        static const std::string busy =
            HttpAnswer(503, kJson, ErrorBody("servidor ocupado; tente de novo"), false);
        [[maybe_unused]] const auto n = ::send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
    }
    ::close(fd);
}

void HttpFront::Impl::Watch(std::uint64_t id, Connection& c, std::uint32_t events) {
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = id;
    ::epoll_ctl(epollFd, EPOLL_CTL_MOD, c.fd, &ev);
}

void HttpFront::Impl::Close(std::uint64_t id) {
    const auto it = connections.find(id);
    if (it == connections.end()) {
        return;
    }
    if (it->second.gone) {
        *it->second.gone = true;
    }
    if (it->second.stream) {
        const std::lock_guard<std::mutex> lock(it->second.stream->mutex);
        it->second.stream->gone = true;
        streamBytes -= it->second.stream->queued; // dropped unsent
        it->second.stream->queued = 0;
        it->second.stream->drained.notify_all();
    }
    ReleaseBody(it->second);
    byActivity.erase(it->second.byActivity);
    ::epoll_ctl(epollFd, EPOLL_CTL_DEL, it->second.fd, nullptr);
    if (it->second.ssl) {
        SSL_free(it->second.ssl);
    }
    ::close(it->second.fd);
    connections.erase(it);
}

bool HttpFront::Impl::CloseLongestIdle() {
    // The least recently active first: a connection busy with a request is passed over,
    // and those are few (one per worker, queued request or answer going out).
    for (const std::uint64_t id : byActivity) {
        const Phase phase = connections.at(id).phase;
        if (phase == Phase::Idle || phase == Phase::Head) {
            Close(id);
            return true;
        }
    }
    return false;
}

void HttpFront::Impl::Touch(Connection& c) {
    c.lastActive = Clock::now();
    byActivity.splice(byActivity.end(), byActivity, c.byActivity);
}

void HttpFront::Impl::OnEvent(std::uint64_t id, std::uint32_t events) {
    const auto it = connections.find(id);
    if (it == connections.end()) {
        return;
    }
    Connection& c = it->second;
    if (c.phase == Phase::Working) {
        // Only a hang-up is watched while the call runs: it stops the call.
        if (events & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) {
            Close(id);
        }
        return;
    }
    if (events & (EPOLLHUP | EPOLLERR)) {
        Close(id);
        return;
    }
    if (c.phase == Phase::Writing) {
        if (events & EPOLLOUT) {
            WriteTo(id, c);
        }
        return;
    }
    if (c.phase == Phase::Draining) {
        char sink[65536];
        while (Receive(c, sink, sizeof sink) > 0) {
        }
        if (events & EPOLLRDHUP) {
            Close(id);
        }
        return;
    }
    if (events & (EPOLLIN | EPOLLRDHUP)) {
        ReadFrom(id, c);
    }
}

void HttpFront::Impl::ReadFrom(std::uint64_t id, Connection& c) {
    char buffer[65536];
    for (;;) {
        const long n = Receive(c, buffer, sizeof buffer);
        if (n > 0) {
            if (c.phase == Phase::Idle) {
                c.phase = Phase::Head;
                c.deadline = Clock::now() + std::chrono::milliseconds(options.headTimeoutMs);
            }
            c.in.append(buffer, static_cast<size_t>(n));
            Touch(c);
            // Never hold more than one request's worth of unread bytes, nor more than a
            // head's before the head says who is asking.
            if (c.in.size() >
                (c.phase == Phase::Body ? options.maxHead + options.maxBody : options.maxHead)) {
                break;
            }
            continue;
        }
        if (n == 0) {
            // The client is done sending; what it sent may still be a whole request.
            c.closeAfter = true;
            break;
        }
        if (n == kFailed) {
            Close(id);
            return;
        }
        break;
    }
    Advance(id, c);
}

void HttpFront::Impl::Advance(std::uint64_t id, Connection& c) {
    if (c.phase == Phase::Idle && c.in.empty()) {
        if (c.closeAfter) {
            Close(id);
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
                Answer(id, c, HttpAnswer(431, kJson, ErrorBody("cabeçalho grande demais"), false),
                       true);
            } else if (c.closeAfter) {
                Close(id);
            }
            return;
        }
        if (status == HeadStatus::Bad || c.headSize > options.maxHead) {
            Answer(id, c, HttpAnswer(400, kJson, ErrorBody("requisição HTTP inválida"), false),
                   true);
            return;
        }
        StartRequest(id, c);
        return;
    }
    if (c.phase == Phase::Body) {
        if (c.in.size() - c.headSize >= c.request.contentLength) {
            c.request.body = c.in.substr(c.headSize, c.request.contentLength);
            c.in.erase(0, c.headSize + c.request.contentLength);
            Dispatch(id, c);
        } else if (c.closeAfter) {
            Close(id);
        }
    }
}

// A request whose head is read: refused at once when it cannot be served, so that a
// large body from a client without the token is never read.
void HttpFront::Impl::StartRequest(std::uint64_t id, Connection& c) {
    const HttpRequest& r = c.request;
    const auto refuse = [&](int status, const char* text) {
        Answer(id, c, HttpAnswer(status, kJson, ErrorBody(text), false), true);
    };
    // For load balancers and the monitoring, beside the object: alive and ready without the
    // token, the figures with it.
    const bool monitoring = r.method == "GET" && (r.target == "/health" || r.target == "/ready" ||
                                                  r.target == "/metrics");
    if (monitoring && r.target == "/health") {
        return Answer(id, c, HttpAnswer(200, "text/plain; charset=utf-8", "vivo\n", false), true);
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
        if (r.chunked) {
            return refuse(411, "informe Content-Length");
        }
        if (!r.hasContentLength) {
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
            const std::string go = HttpAnswer(100, "", "", true);
            Transmit(c, go.data(), go.size());
        }
        c.phase = Phase::Body;
        c.deadline = Clock::now() + std::chrono::milliseconds(options.bodyTimeoutMs);
        Advance(id, c);
        return;
    }
    c.request.body.clear();
    c.in.erase(0, c.headSize);
    Dispatch(id, c);
}

namespace {

std::string PeerAddress(int fd) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return {};
    }
    char text[INET6_ADDRSTRLEN] = {};
    const void* where =
        address.ss_family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr)
            : &reinterpret_cast<const sockaddr_in*>(&address)->sin_addr;
    return ::inet_ntop(address.ss_family, where, text, sizeof text) ? text : "";
}

} // namespace

void HttpFront::Impl::Dispatch(std::uint64_t id, Connection& c) {
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        if (jobs.size() < options.maxQueued) {
            c.phase = Phase::Working;
            c.gone = std::make_shared<std::atomic<bool>>(false);
            c.stream = std::make_shared<StreamState>();
            const bool quick = QuickCall(c.request);
            Metrics().queuedRequests = static_cast<std::int64_t>(jobs.size() + 1);
            jobs.push_back(Job{id, std::move(c.request), c.gone, c.stream, Clock::now(), quick,
                               PeerAddress(c.fd)});
        }
    }
    if (c.phase != Phase::Working) {
        Answer(id, c, HttpAnswer(503, kJson, ErrorBody("servidor ocupado; tente de novo"), false),
               true);
        return;
    }
    // Every worker may take it, or only the general ones: tell them all.
    jobsReady.notify_all();
    Watch(id, c, EPOLLRDHUP);
}

void HttpFront::Impl::Answer(std::uint64_t id, Connection& c, std::string text, bool close) {
    std::vector<std::string> pieces;
    pieces.push_back(std::move(text));
    Send(id, c, std::move(pieces), close, false);
}

void HttpFront::Impl::Send(std::uint64_t id, Connection& c, std::vector<std::string> pieces,
                           bool close, bool more) {
    c.phase = Phase::Writing;
    for (std::string& piece : pieces) {
        if (!piece.empty()) {
            c.queue.push_back(std::move(piece));
        }
    }
    c.streaming = more;
    c.closeAfter = c.closeAfter || close;
    c.deadline = Clock::now() + std::chrono::milliseconds(options.writeTimeoutMs);
    WriteTo(id, c);
}

void HttpFront::Impl::WriteTo(std::uint64_t id, Connection& c) {
    bool large = false;
    while (!c.queue.empty()) {
        const std::string& piece = c.queue.front();
        const long n = Transmit(c, piece.data() + c.sent, piece.size() - c.sent);
        if (n > 0) {
            c.sent += static_cast<size_t>(n);
            c.deadline = Clock::now() + std::chrono::milliseconds(options.writeTimeoutMs);
            if (c.sent == piece.size()) {
                large = large || piece.size() > (16 << 20);
                if (c.stream) {
                    const std::lock_guard<std::mutex> lock(c.stream->mutex);
                    const size_t done = std::min(c.stream->queued, piece.size());
                    c.stream->queued -= done;
                    streamBytes -= done;
                    c.stream->drained.notify_all();
                }
                c.queue.pop_front();
                c.sent = 0;
            }
            continue;
        }
        if (n == kLater) {
            Watch(id, c, EPOLLOUT | EPOLLRDHUP);
            return;
        }
        Close(id);
        return;
    }
    if (large) {
        // A large answer's memory goes back to the system, not to this process's heap:
        // the server returns to its idle size after a load.
        ::malloc_trim(0);
    }
    if (c.streaming) {
        // Sent all there is; the worker writes more. Only a hang-up is watched meanwhile.
        c.deadline = Clock::time_point::max();
        Watch(id, c, EPOLLRDHUP);
        return;
    }
    if (c.closeAfter) {
        Linger(id, c);
        return;
    }
    ReleaseBody(c);
    c.phase = Phase::Idle;
    c.gone.reset();
    c.stream.reset();
    Touch(c);
    c.deadline = c.lastActive + std::chrono::milliseconds(options.idleTimeoutMs);
    Watch(id, c, EPOLLIN | EPOLLRDHUP);
    if (!c.in.empty()) {
        Advance(id, c); // a request sent before this answer was asked for
    }
}

// Closing with unread bytes would reset the connection and the client could lose the
// answer just written (a refusal of a large body, say): the sending side is closed first
// and what still comes in is read and dropped for a moment.
void HttpFront::Impl::ReleaseBody(Connection& c) {
    bodiesHeld -= c.bodyHeld;
    c.bodyHeld = 0;
}

void HttpFront::Impl::Linger(std::uint64_t id, Connection& c) {
    if (c.ssl) {
        SSL_shutdown(c.ssl);
    }
    ::shutdown(c.fd, SHUT_WR);
    ReleaseBody(c);
    c.phase = Phase::Draining;
    c.in = std::string();
    c.queue.clear();
    c.deadline = Clock::now() + std::chrono::seconds(2);
    Watch(id, c, EPOLLIN | EPOLLRDHUP);
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
        if (d.abort) {
            Close(d.connection);
            continue;
        }
        Send(d.connection, it->second, std::move(d.pieces), d.close, d.more);
    }
}

void HttpFront::Impl::Sweep() {
    const auto now = Clock::now();
    if (acceptingAgainAt != Clock::time_point() && now >= acceptingAgainAt) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = 0;
        ::epoll_ctl(epollFd, EPOLL_CTL_MOD, listenFd, &ev);
        acceptingAgainAt = Clock::time_point();
    }
    std::vector<std::uint64_t> late;
    for (const auto& [id, c] : connections) {
        if (c.phase != Phase::Working && now >= c.deadline) {
            late.push_back(id);
        }
    }
    for (std::uint64_t id : late) {
        Connection& c = connections[id];
        if (c.phase == Phase::Head || c.phase == Phase::Body) {
            // Told why, in one try; a client too slow to read it is simply dropped.
            const std::string text =
                HttpAnswer(408, kJson, ErrorBody("requisição lenta demais"), false);
            Transmit(c, text.data(), text.size());
        }
        Close(id);
    }
}

} // namespace oca::server
