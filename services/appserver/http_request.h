#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace oca::server {

/// One HTTP/1.x request as the front reads it: its head first, its body when the head
/// says how long it is.
struct HttpRequest {
    std::string method;
    std::string target; ///< the path, without any query
    int minorVersion = 1;
    std::vector<std::pair<std::string, std::string>> headers; ///< names in lower case
    size_t contentLength = 0;
    bool hasContentLength = false;
    bool chunked = false;
    std::string body;

    /// The value of a header (name in lower case), or nullptr.
    const std::string* Header(std::string_view name) const;
    /// Whether the client wants the connection kept open after the answer.
    bool KeepAlive() const;
};

/// Whether a request is one quick call: the handshake, or a single call (not a batch) of
/// a method that answers in milliseconds, not a whole selection, a panel's period or a
/// sign-in (slowed down on a wrong password). The
/// method is read decoded; a body too large to look at cheaply is not quick.
bool QuickCall(const HttpRequest& request);

enum class HeadStatus {
    Incomplete, ///< the head has not ended yet
    Complete,   ///< read into the request; `headSize` bytes were its head
    Bad,        ///< not an HTTP/1.x request head
};

/// Reads a request head (request line and headers up to the empty line) from the start of
/// `bytes`. Only "\r\n" ends a line; a header line without ":" or a Content-Length that is
/// not a plain number makes the head bad.
HeadStatus ParseRequestHead(std::string_view bytes, HttpRequest& request, size_t& headSize);

/// The text of an answer: status line, Content-Type and Content-Length (none for 204 and
/// 100), Connection, and the body.
std::string HttpAnswer(int status, std::string_view contentType, std::string_view body,
                       bool keepAlive);
/// The head of an answer whose body follows in chunks.
std::string HttpChunkedHead(int status, std::string_view contentType, bool keepAlive);

/// The head alone of an answer whose body of `length` bytes is sent after it.
std::string HttpHead(int status, std::string_view contentType, size_t length, bool keepAlive);

} // namespace oca::server
