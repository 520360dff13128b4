#include "appserver/http_request.h"

#include "core/packet_json.h"

#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>

namespace oca::server {

bool QuickCall(const HttpRequest& request) {
    if (request.method == "GET") {
        return true;
    }
    // A quick call's body is small; reading a large one here would hold the loop.
    constexpr size_t kLookedAt = 64 << 10;
    const std::string& body = request.body;
    const size_t first = body.find_first_not_of(" \t\r\n");
    if (body.size() > kLookedAt || first == std::string::npos || body[first] != '{' ||
        !JsonDepthWithin(body, kMaxJsonDepth)) {
        return false;
    }
    const nlohmann::json call = nlohmann::json::parse(body, nullptr, false);
    const auto method = call.is_object() ? call.find("method") : call.end();
    if (!call.is_object() || method == call.end() || !method->is_string()) {
        return false;
    }
    // A sign-in is slow on purpose when the password is wrong: a flood of them must not
    // hold the lane kept for the people already at work.
    const std::string& name = method->get_ref<const std::string&>();
    return name != "GetMovOcorr" && name != "GetQualifForn" && name != "GetQualifDetalhe" &&
           name != "Entrar";
}

namespace {

std::string_view View(boost::beast::string_view s) {
    return {s.data(), s.size()};
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

} // namespace

const std::string* HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

bool HttpRequest::KeepAlive() const {
    const std::string* connection = Header("connection");
    const std::string value = connection ? Lower(*connection) : std::string();
    if (minorVersion == 0) {
        return value.find("keep-alive") != std::string::npos;
    }
    return value.find("close") == std::string::npos;
}

HeadStatus ParseRequestHead(std::string_view bytes, HttpRequest& request, size_t& headSize) {
    namespace http = boost::beast::http;
    // Empty lines before a request are tolerated, as the standard asks.
    size_t start = 0;
    while (bytes.substr(start, 2) == "\r\n") {
        start += 2;
    }
    // Looked for before the parser is asked: a head that comes a byte at a time is parsed
    // once, when it is whole.
    const size_t end = bytes.find("\r\n\r\n", start);
    if (end == std::string_view::npos) {
        return HeadStatus::Incomplete;
    }
    request = HttpRequest{};
    http::request_parser<http::empty_body> parser;
    parser.eager(false); // the head only: the body is the front's, counted against its budget
    // The front bounds heads and bodies itself, with answers of its own.
    parser.header_limit(std::numeric_limits<std::uint32_t>::max());
    parser.body_limit(std::numeric_limits<std::uint64_t>::max());
    boost::beast::error_code error;
    parser.put(boost::asio::buffer(bytes.data() + start, end + 4 - start), error);
    const auto& head = parser.get();
    const bool hasCoding = head.find(http::field::transfer_encoding) != head.end();
    // Both a length and chunks, or chunks twice: the shape that makes a proxy and the server
    // read two different requests. Beast stops at the field; the head is refused as a
    // chunked one is, once the token is checked with the fields read before it.
    const bool unframed = error == http::error::bad_transfer_encoding ||
                          (error == http::error::bad_content_length && hasCoding);
    const std::string_view target = View(head.target());
    if ((error && !unframed) || (!unframed && !parser.is_header_done()) ||
        (head.version() != 10 && head.version() != 11) || target.empty() || target[0] != '/') {
        return HeadStatus::Bad;
    }
    request.method = std::string(View(head.method_string()));
    request.target = std::string(target.substr(0, target.find('?')));
    request.minorVersion = head.version() % 10;
    for (const auto& field : head) {
        request.headers.emplace_back(Lower(View(field.name_string())),
                                     std::string(View(field.value())));
    }
    // Any coding, chunked or not, leaves a body the front will not read.
    request.chunked = unframed || hasCoding;
    request.hasContentLength = !unframed && head.find(http::field::content_length) != head.end();
    request.contentLength = request.hasContentLength ? *parser.content_length() : 0;
    headSize = end + 4;
    return HeadStatus::Complete;
}

std::string HttpHead(int status, std::string_view contentType, size_t length, bool keepAlive) {
    const char* reason = "OK";
    switch (status) {
    case 100:
        return "HTTP/1.1 100 Continue\r\n\r\n";
    case 204:
        reason = "No Content";
        break;
    case 400:
        reason = "Bad Request";
        break;
    case 401:
        reason = "Unauthorized";
        break;
    case 404:
        reason = "Not Found";
        break;
    case 405:
        reason = "Method Not Allowed";
        break;
    case 408:
        reason = "Request Timeout";
        break;
    case 411:
        reason = "Length Required";
        break;
    case 413:
        reason = "Payload Too Large";
        break;
    case 431:
        reason = "Request Header Fields Too Large";
        break;
    case 501:
        reason = "Not Implemented";
        break;
    case 503:
        reason = "Service Unavailable";
        break;
    default:
        break;
    }
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    if (status != 204) {
        out += "Content-Type: ";
        out += contentType;
        out += "\r\nContent-Length: " + std::to_string(length) + "\r\n";
    }
    out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return out;
}

std::string HttpChunkedHead(int status, std::string_view contentType, bool keepAlive) {
    std::string head = HttpHead(status, contentType, 0, keepAlive);
    const std::string length = "Content-Length: 0\r\n";
    head.replace(head.find(length), length.size(), "Transfer-Encoding: chunked\r\n");
    return head;
}

std::string HttpAnswer(int status, std::string_view contentType, std::string_view body,
                       bool keepAlive) {
    std::string out = HttpHead(status, contentType, body.size(), keepAlive);
    if (status != 204 && status != 100) {
        out += body;
    }
    return out;
}

} // namespace oca::server
