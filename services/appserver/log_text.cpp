// What goes into the server's log: a client's text made safe for one line, and a failure
// whose details are for the log only, under an id the client's answer names.
#include "appserver/http_front.h"
#include "appserver/metrics.h"
#include "appserver/server.h"

#include <atomic>
#include <cstdio>
#include <iostream>
#include <random>

namespace oca::server {

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

std::string LogFailure(const std::string& method, const std::string& detail) {
    // Unique within a run, and unlike the ids of the runs before: a restart does not
    // make an old line look like a new failure.
    static const unsigned run = std::random_device{}() & 0xFFFFu;
    static std::atomic<unsigned> count{0};
    char id[16];
    std::snprintf(id, sizeof id, "E%04X-%u", run, ++count);
    ++Metrics().databaseErrors;
    std::cerr << "falha " << id << " em " << LogSafe(method, 64) << ": " << LogSafe(detail, 4000)
              << '\n';
    return id;
}

} // namespace oca::server
