#include "appserver/http_front.h"

#include "appserver/http_front_impl.h"
#include "appserver/metrics.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

// Setting the front up and down, and the bytes in and out of a connection; the loop that
// serves the connections is http_loop.cpp, the workers' side http_respond.cpp.
namespace oca::server {

bool SameSecret(const std::string& given, const std::string& expected) {
    unsigned char diff = given.size() == expected.size() ? 0 : 1;
    for (size_t i = 0; i < expected.size(); ++i) {
        const char g = i < given.size() ? given[i] : '\0';
        diff |= static_cast<unsigned char>(g ^ expected[i]);
    }
    return diff == 0;
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
        workers.emplace_back([this] { Work(false); });
    }
    for (int i = 0; i < std::max(0, options.quickThreads); ++i) {
        workers.emplace_back([this] { Work(true); });
    }
}

void HttpFront::Impl::Shutdown() {
    // Once per front, however often it is asked to stop (a signal, then the destructor).
    if (!drainCounted.exchange(true)) {
        ++Metrics().drains;
    }
    stopping = true;
    if (wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(wakeFd, &one, sizeof one);
    }
    if (loopThread.joinable() && loopThread.get_id() != std::this_thread::get_id()) {
        loopThread.join();
    }
    {
        const std::lock_guard<std::mutex> lock(jobsMutex);
        workersQuit = true;
    }
    jobsReady.notify_all();
    for (std::thread& w : workers) {
        if (w.joinable()) {
            w.join();
        }
    }
    workers.clear();
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
