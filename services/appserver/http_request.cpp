#include "appserver/http_request.h"

#include "core/packet_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>

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

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool IsToken(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) {
        return c > 32 && c < 127 && c != ':' && c != '(' && c != ')' && c != ',' && c != '"';
    });
}

bool ParseRequestLine(std::string_view line, HttpRequest& request) {
    const size_t sp1 = line.find(' ');
    const size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos) {
        return false;
    }
    const std::string_view method = line.substr(0, sp1);
    const std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = line.substr(sp2 + 1);
    if (!IsToken(method) || target.empty() || target[0] != '/' ||
        (version != "HTTP/1.1" && version != "HTTP/1.0")) {
        return false;
    }
    request.method = std::string(method);
    request.target = std::string(target.substr(0, target.find('?')));
    request.minorVersion = version.back() - '0';
    return true;
}

bool ParseLength(std::string_view text, size_t& length) {
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    length = 0;
    for (char c : text) {
        length = length * 10 + static_cast<size_t>(c - '0');
    }
    return true;
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
    // Empty lines before a request are tolerated, as the standard asks.
    size_t start = 0;
    while (bytes.substr(start, 2) == "\r\n") {
        start += 2;
    }
    const size_t end = bytes.find("\r\n\r\n", start);
    if (end == std::string_view::npos) {
        return HeadStatus::Incomplete;
    }
    request = HttpRequest{};
    std::string_view head = bytes.substr(start, end + 2 - start);
    size_t lineEnd = head.find("\r\n");
    if (!ParseRequestLine(head.substr(0, lineEnd), request)) {
        return HeadStatus::Bad;
    }
    head.remove_prefix(lineEnd + 2);
    while (!head.empty()) {
        lineEnd = head.find("\r\n");
        const std::string_view line = head.substr(0, lineEnd);
        head.remove_prefix(lineEnd + 2);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) {
            return HeadStatus::Bad;
        }
        std::string name = Lower(line.substr(0, colon));
        std::string value(TrimSpaces(line.substr(colon + 1)));
        if (name == "content-length") {
            size_t length = 0;
            if (!ParseLength(value, length) ||
                (request.hasContentLength && length != request.contentLength)) {
                return HeadStatus::Bad;
            }
            request.contentLength = length;
            request.hasContentLength = true;
        } else if (name == "transfer-encoding") {
            request.chunked = true;
        }
        request.headers.emplace_back(std::move(name), std::move(value));
    }
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
