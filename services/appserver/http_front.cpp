#include "appserver/http_front.h"

#include "appserver/http_front_impl.h"
#include "appserver/metrics.h"

#include <boost/asio/ssl/error.hpp>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

// Setting the front up and down; the loop that serves the connections is http_loop.cpp,
// the workers' side http_respond.cpp.
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
    if (spareFd >= 0) {
        ::close(spareFd);
    }
}

void HttpFront::Impl::SetUpTls() {
    if (options.tlsCert.empty() && options.tlsKey.empty()) {
        return;
    }
    tls.emplace(asio::ssl::context::tls_server);
    boost::system::error_code error;
    SSL_CTX_set_min_proto_version(tls->native_handle(), TLS1_2_VERSION);
    tls->use_certificate_chain_file(options.tlsCert, error);
    if (!error) {
        tls->use_private_key_file(options.tlsKey, asio::ssl::context::pem, error);
    }
    if (!error && SSL_CTX_check_private_key(tls->native_handle()) != 1) {
        error = boost::system::error_code(static_cast<int>(ERR_get_error()),
                                          asio::error::get_ssl_category());
    }
    if (error) {
        throw std::runtime_error("Não foi possível usar o certificado " + options.tlsCert +
                                 " e a chave " + options.tlsKey + " para TLS: " + error.message());
    }
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
    const std::string service = std::to_string(options.port);
    const std::string where = options.host + ":" + service;
    boost::system::error_code error;
    asio::ip::tcp::resolver resolver(io);
    const auto found = resolver.resolve(
        options.host, service,
        asio::ip::tcp::resolver::passive | asio::ip::tcp::resolver::numeric_service, error);
    if (error || found.empty()) {
        throw std::runtime_error("Não foi possível escutar em " + where + ": endereço inválido");
    }
    const asio::ip::tcp::endpoint endpoint = found.begin()->endpoint();
    acceptor.open(endpoint.protocol(), error);
    if (!error) {
        ::fcntl(acceptor.native_handle(), F_SETFD, FD_CLOEXEC);
        acceptor.set_option(asio::socket_base::reuse_address(true), error);
    }
    if (!error) {
        acceptor.bind(endpoint, error);
    }
    if (!error) {
        // A burst of connections waits in the kernel instead of being refused and retried.
        acceptor.listen(asio::socket_base::max_listen_connections, error);
    }
    if (!error) {
        acceptor.non_blocking(true, error);
    }
    if (error) {
        throw std::runtime_error("Não foi possível escutar em " + where + ": " + error.message());
    }
    port = acceptor.local_endpoint().port();
    readBuffer = std::make_unique<char[]>(kReadBuffer);
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
    // The loop sees it at its next sweep, within a few hundredths of a second.
    stopping = true;
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
    // Only an atomic store: the loop's sweep sees it.
    impl_->stopping = true;
}

int HttpFront::Port() const {
    return impl_->port;
}

} // namespace oca::server
