#include "appserver/http_front.h"

#include "appserver/http_front_impl.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <vector>

namespace oca::server {

bool SameSecret(const std::string& given, const std::string& expected) {
    unsigned char diff = given.size() == expected.size() ? 0 : 1;
    for (size_t i = 0; i < expected.size(); ++i) {
        const char g = i < given.size() ? given[i] : '\0';
        diff |= static_cast<unsigned char>(g ^ expected[i]);
    }
    return diff == 0;
}

std::string LogSafe(const std::string& text, size_t limit) {
    std::string out;
    for (size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || c == '\\') {
            static const char* hex = "0123456789abcdef";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    if (text.size() > limit) {
        out += "...";
    }
    return out;
}

HttpFront::Impl::~Impl() {
    Shutdown();
    if (tls) {
        SSL_CTX_free(tls);
    }
    for (int fd : {listenFd, epollFd, wakeFd, spareFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void HttpFront::Impl::SetUpTls() {
    if (options.tlsCert.empty() && options.tlsKey.empty()) {
        return;
    }
    tls = SSL_CTX_new(TLS_server_method());
    const bool ready =
        tls && SSL_CTX_set_min_proto_version(tls, TLS1_2_VERSION) == 1 &&
        SSL_CTX_use_certificate_chain_file(tls, options.tlsCert.c_str()) == 1 &&
        SSL_CTX_use_PrivateKey_file(tls, options.tlsKey.c_str(), SSL_FILETYPE_PEM) == 1 &&
        SSL_CTX_check_private_key(tls) == 1;
    if (!ready) {
        char reason[256] = "";
        ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
        throw std::runtime_error("Não foi possível usar o certificado " + options.tlsCert +
                                 " e a chave " + options.tlsKey + " para TLS: " + reason);
    }
    // An answer may go out in pieces, each from wherever the buffer stands by then.
    SSL_CTX_set_mode(tls, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
}

long HttpFront::Impl::Receive(Connection& c, char* buffer, size_t size) {
    if (!c.ssl) {
        const ssize_t n = ::recv(c.fd, buffer, size, 0);
        if (n >= 0) {
            return n;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? kLater : kFailed;
    }
    ERR_clear_error();
    const int n = SSL_read(c.ssl, buffer, static_cast<int>(std::min<size_t>(size, 1 << 30)));
    if (n > 0) {
        return n;
    }
    switch (SSL_get_error(c.ssl, n)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
        return kLater;
    case SSL_ERROR_ZERO_RETURN:
        return 0;
    default:
        return kFailed;
    }
}

long HttpFront::Impl::Transmit(Connection& c, const char* data, size_t size) {
    if (!c.ssl) {
        const ssize_t n = ::send(c.fd, data, size, MSG_NOSIGNAL);
        if (n >= 0) {
            return n;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? kLater : kFailed;
    }
    ERR_clear_error();
    const int n = SSL_write(c.ssl, data, static_cast<int>(std::min<size_t>(size, 1 << 30)));
    if (n > 0) {
        return n;
    }
    const int error = SSL_get_error(c.ssl, n);
    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? kLater : kFailed;
}

namespace {

// Descriptors the process needs besides its clients': the database files, the log, the
// certificate files, whatever a library opens.
constexpr rlim_t kReservedFds = 64;

size_t ConnectionCap(size_t wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return wanted;
    }
    const rlim_t room =
        limit.rlim_cur > 2 * kReservedFds ? limit.rlim_cur - kReservedFds : limit.rlim_cur / 2;
    return std::max<size_t>(1, std::min<size_t>(wanted, room));
}

} // namespace

void HttpFront::Impl::Bind() {
    SetUpTls();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(options.port);
    const std::string where = options.host + ":" + service;
    if (getaddrinfo(options.host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
        throw std::runtime_error("Não foi possível escutar em " + where + ": endereço inválido");
    }
    listenFd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int yes = 1;
    const bool bound =
        listenFd >= 0 && ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0 &&
        ::bind(listenFd, found->ai_addr, found->ai_addrlen) == 0 &&
        // A burst of connections waits in the kernel instead of being refused and retried.
        ::listen(listenFd, SOMAXCONN) == 0;
    freeaddrinfo(found);
    if (!bound) {
        throw std::runtime_error("Não foi possível escutar em " + where + ": " +
                                 std::strerror(errno));
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    port =
        ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = 0;
    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, listenFd, &ev);
    ev.data.u64 = 1;
    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, wakeFd, &ev);
    spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    connectionCap = ConnectionCap(options.maxConnections);
}

void HttpFront::Impl::StartWorkers() {
    const int count = std::max(1, options.threads);
    for (int i = 0; i < count; ++i) {
        workers.emplace_back([this] { Work(); });
    }
}

void HttpFront::Impl::Shutdown() {
    stopping = true;
    if (wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
    }
    if (loopThread.joinable() && loopThread.get_id() != std::this_thread::get_id()) {
        loopThread.join();
    }
    jobsReady.notify_all();
    for (std::thread& w : workers) {
        if (w.joinable()) {
            w.join();
        }
    }
    workers.clear();
}

// -- the loop ------------------------------------------------------------------------------

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
                std::uint64_t count = 0;
                [[maybe_unused]] const auto r = ::read(wakeFd, &count, sizeof count);
                TakeFinished();
            } else {
                OnEvent(id, events[static_cast<size_t>(i)].events);
            }
        }
        if (Clock::now() - lastSweep > std::chrono::milliseconds(50)) {
            Sweep();
            lastSweep = Clock::now();
        }
    }
    // Calls under way are told their clients are gone, so the workers come back soon.
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
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        jobs.clear();
    }
    jobsReady.notify_all();
    serving = false;
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
        it->second.stream->drained.notify_all();
    }
    ::epoll_ctl(epollFd, EPOLL_CTL_DEL, it->second.fd, nullptr);
    if (it->second.ssl) {
        SSL_free(it->second.ssl);
    }
    ::close(it->second.fd);
    connections.erase(it);
}

bool HttpFront::Impl::CloseLongestIdle() {
    std::uint64_t oldest = 0;
    Clock::time_point at = Clock::time_point::max();
    for (const auto& [id, c] : connections) {
        if ((c.phase == Phase::Idle || c.phase == Phase::Head) && c.lastActive < at) {
            at = c.lastActive;
            oldest = id;
        }
    }
    if (oldest == 0) {
        return false;
    }
    Close(oldest);
    return true;
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
            c.lastActive = Clock::now();
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
    if (r.target != kPath) {
        return refuse(404, "objeto desconhecido");
    }
    if (r.method != "GET" && r.method != "POST") {
        return refuse(405, "método HTTP não aceito");
    }
    if (!options.token.empty()) {
        const std::string* auth = r.Header("authorization");
        if (!auth || !SameSecret(*auth, "Bearer " + options.token)) {
            LogLine("-", false, "HTTP 401", Clock::now());
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

void HttpFront::Impl::Dispatch(std::uint64_t id, Connection& c) {
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        if (jobs.size() < options.maxQueued) {
            c.phase = Phase::Working;
            c.gone = std::make_shared<std::atomic<bool>>(false);
            c.stream = std::make_shared<StreamState>();
            jobs.push_back(Job{id, std::move(c.request), c.gone, c.stream, Clock::now()});
        }
    }
    if (c.phase != Phase::Working) {
        Answer(id, c, HttpAnswer(503, kJson, ErrorBody("servidor ocupado; tente de novo"), false),
               true);
        return;
    }
    jobsReady.notify_one();
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
                    c.stream->queued -= std::min(c.stream->queued, piece.size());
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
    c.phase = Phase::Idle;
    c.gone.reset();
    c.stream.reset();
    c.lastActive = Clock::now();
    c.deadline = c.lastActive + std::chrono::milliseconds(options.idleTimeoutMs);
    Watch(id, c, EPOLLIN | EPOLLRDHUP);
    if (!c.in.empty()) {
        Advance(id, c); // a request sent before this answer was asked for
    }
}

// Closing with unread bytes would reset the connection and the client could lose the
// answer just written (a refusal of a large body, say): the sending side is closed first
// and what still comes in is read and dropped for a moment.
void HttpFront::Impl::Linger(std::uint64_t id, Connection& c) {
    if (c.ssl) {
        SSL_shutdown(c.ssl);
    }
    ::shutdown(c.fd, SHUT_WR);
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

// -- HttpFront -----------------------------------------------------------------------------

HttpFront::HttpFront(OcorAtendimento& server, HttpOptions options)
    : impl_(std::make_unique<Impl>(server, std::move(options))) {}

HttpFront::~HttpFront() {
    Stop();
}

int HttpFront::Start() {
    impl_->Bind();
    impl_->StartWorkers();
    impl_->loopThread = std::thread([this] { impl_->Serve(); });
    return impl_->port;
}

void HttpFront::Run(const std::function<void(int port)>& listening) {
    impl_->Bind();
    if (listening) {
        listening(impl_->port);
    }
    impl_->StartWorkers();
    impl_->Serve();
    impl_->Shutdown();
}

void HttpFront::Stop() {
    if (impl_) {
        impl_->Shutdown();
    }
}

void HttpFront::RequestStop() {
    impl_->stopping = true;
    if (impl_->wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(impl_->wakeFd, &one, sizeof one);
    }
}

int HttpFront::Port() const {
    return impl_->port;
}

} // namespace oca::server
