#pragma once
// What the benchmarks of the server share: the selection of a whole company, its SQL text
// with the values written in (for the sqlite3 command line), and a free loopback port.
#include "appserver/server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace bench {

/// The limits of an in-process call made as operator 001 of a demonstration company.
inline oca::server::CallLimits SignedIn(oca::server::OcorAtendimento& server) {
    const Variant answer =
        server.Call("Entrar", {Variant("001"), Variant("senha001"), Variant("0001"), Variant(30)});
    oca::server::CallLimits limits;
    limits.sessionToken = answer.AsPacket().rows[0][0].AsString();
    return limits;
}

/// GetMovOcorr's parameters for every occurrence dated from 2000 to 2099.
inline std::vector<Variant> Everything() {
    return {Variant(""),
            Variant("T"),
            Variant(""),
            Variant("T"),
            Variant(""),
            Variant("T"),
            Variant(EncodeDate(2000, 1, 1)),
            Variant(EncodeDate(2099, 12, 31)),
            Variant(""),
            Variant("T"),
            Variant(""),
            Variant(""),
            Variant("")};
}

/// The text of that selection with its values written in.
inline std::string PlainSql() {
    const std::vector<Variant> args = Everything();
    const std::string method = "GetMovOcorr";
    const auto q = oca::server::BuildSelection(oca::server::Args(method, args));
    std::string sql = q.sql;
    for (const auto& [name, value] : q.params) {
        const std::string literal =
            "'" +
            (value.Type() == VarType::DateTime ? ToIsoText(*value.Get<TDateTime>())
                                               : value.AsString()) +
            "'";
        const std::string mark = ":" + name;
        for (size_t at = sql.find(mark); at != std::string::npos; at = sql.find(mark)) {
            sql.replace(at, mark.size(), literal);
        }
    }
    return sql;
}

inline int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace bench
