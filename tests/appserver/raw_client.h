#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

/// A plain TCP connection to the server on loopback that sends any bytes a hostile or
/// careless client might, and reads what comes back.
class RawClient {
public:
    /// `window`: a receive buffer of that many bytes (0: the system's, which on loopback
    /// may grow to tens of megabytes), for a client that must fall behind.
    explicit RawClient(int port, int window = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (window > 0) {
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return connected_; }

    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    /// Closes the sending side only, as a client does that has said all it will.
    void StopSending() { ::shutdown(fd_, SHUT_WR); }

    /// What arrives until the server closes or `ms` pass without a byte.
    std::string Read(int ms) {
        std::string out;
        char buffer[65536];
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, ms) > 0) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            out.append(buffer, static_cast<size_t>(n));
            if (Complete(out)) {
                break;
            }
        }
        return out;
    }

    /// The first bytes that arrive within `ms`, without waiting for the rest.
    std::string ReadSome(int ms) {
        char buffer[65536];
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) {
            return {};
        }
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }

    /// Whether the server has closed its side (reading gives end of file at once).
    bool ClosedByServer(int ms) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) {
            return false;
        }
        char c;
        return ::recv(fd_, &c, 1, MSG_PEEK) <= 0;
    }

    /// A whole POST of `body` to the object's path, with the token and any extra headers.
    /// The session raw requests are made in, when a test has signed in ("" for none).
    static inline std::string session;

    static std::string Post(std::string_view body, const std::string& token,
                            const std::string& extra = "") {
        const std::string signedIn = session.empty() ? "" : "Oca-Sessao: " + session + "\r\n";
        return "POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nHost: x\r\n"
               "Authorization: Bearer " +
               token + "\r\nContent-Type: application/json\r\n" + signedIn + extra +
               "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
    }

    /// The status code of an answer text, 0 when there is none.
    static int Status(const std::string& answer) {
        return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0;
    }
    static std::string Body(const std::string& answer) {
        const size_t end = answer.find("\r\n\r\n");
        return end == std::string::npos ? std::string() : answer.substr(end + 4);
    }

private:
    // An answer with its whole body is complete; one with no length ends at close.
    static bool Complete(const std::string& text) {
        const size_t end = text.find("\r\n\r\n");
        if (end == std::string::npos) {
            return false;
        }
        const size_t at = text.find("Content-Length: ");
        if (at == std::string::npos || at > end) {
            return text.rfind("HTTP/1.1 204", 0) == 0 || text.rfind("HTTP/1.1 100", 0) == 0 ||
                   (text.size() >= 5 && text.compare(text.size() - 5, 5, "0\r\n\r\n") == 0);
        }
        return text.size() - end - 4 >= std::stoul(text.substr(at + 16));
    }

    int fd_ = -1;
    bool connected_ = false;
};
