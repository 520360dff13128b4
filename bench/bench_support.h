#pragma once
// What the benchmarks of the server share: the selection of a whole company, its SQL text
// with the values written in (for the sqlite3 command line), and a free loopback port.
#include "appserver/server.h"

#include "framework/net/net_connection.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
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

inline std::string BinDir() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

/// A real oca-appserver process on a loopback port of its own, stopped when this goes.
class ServerProcess {
public:
    explicit ServerProcess(const std::string& url, std::vector<std::string> extra = {})
        : port_(FreePort()) {
        pid_ = ::fork();
        if (pid_ == 0) {
            std::freopen("/dev/null", "w", stderr);
            const std::string bin = BinDir() + "/oca-appserver";
            const std::string listen = "127.0.0.1:" + std::to_string(port_);
            std::vector<std::string> args = {bin, "--db", url, "--listen", listen};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(bin.c_str(), argv.data());
            ::_exit(127);
        }
        TNetConnection probe;
        Connect(probe);
        for (int i = 0; i < 1000 && !probe.Connected(); ++i) {
            try {
                probe.SetConnected(true);
            } catch (const Exception&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
    ~ServerProcess() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    /// Points `net` at this server as operator 001 of the demonstration company.
    void Connect(TNetConnection& net) const {
        net.SetServerName("OCA0080A.rdmOcorAtendimento");
        net.SetPort(port_);
        net.SetCredentials("001", "senha001", "0001", 30);
    }
    pid_t Pid() const { return pid_; }
    int Port() const { return port_; }

private:
    int port_;
    pid_t pid_;
};

} // namespace bench
