#pragma once

#include "server_fixture.h"

#include "core/data_packet.h"
#include "framework/net/net_connection.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

/// A loopback port nobody listens on at the moment.
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

/// oca-appserver as its own process, on `url`, with the token "t"; killed when it goes.
/// `fileLimit`: at most that many open descriptors (0: the system's limit).
class ServerProcess {
public:
    ServerProcess(const std::string& url, int port, rlim_t fileLimit = 0) : port_(port) {
        pid_ = ::fork();
        if (pid_ == 0) {
            if (fileLimit > 0) {
                const rlimit limit{fileLimit, fileLimit};
                ::setrlimit(RLIMIT_NOFILE, &limit);
            }
            ::signal(SIGPIPE, SIG_DFL); // as a service manager starts it, not as this test runs
            ::setenv("OCA_TOKEN", "t", 1);
            const std::string listen = "127.0.0.1:" + std::to_string(port);
            if (!::freopen("/dev/null", "w", stderr)) {
                ::_exit(126);
            }
            ::execl(OCA_APPSERVER_BIN, OCA_APPSERVER_BIN, "--db", url.c_str(), "--listen",
                    listen.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~ServerProcess() { Kill(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    void Kill() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    pid_t Pid() const { return pid_; }
    int Port() const { return port_; }
    /// A client of this server.
    void Connect(TNetConnection& client) const {
        client.SetServerName("OCA0080A.rdmOcorAtendimento");
        client.SetPort(port_);
        client.SetToken("t");
        client.SetCredentials("001", "senha001", "0001", 30);
    }
    /// A session of operator 001, signed in over the wire, for raw requests.
    std::string SignIn() const {
        TNetConnection client;
        Connect(client);
        return client.SignIn("001", "senha001", "0001", 30).session;
    }
    /// True once the server shakes hands (it is given a few seconds to start).
    bool WaitUp() const {
        TNetConnection probe;
        Connect(probe);
        for (int i = 0; i < 500 && !probe.Connected(); ++i) {
            try {
                probe.SetConnected(true);
            } catch (const std::exception&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return probe.Connected();
    }

private:
    int port_;
    pid_t pid_ = -1;
};

/// The scenario company in a database of the test's own and `count` server processes on
/// it, each answering; call under ASSERT_NO_FATAL_FAILURE.
inline void StartServersOnCompany(int count, std::unique_ptr<TestDatabase>& database,
                                  std::vector<std::unique_ptr<ServerProcess>>& servers) {
    database = std::make_unique<TestDatabase>(CurrentTestName());
    {
        auto db = oca::db::Database::Open(database->Url());
        SeedCompany(*db);
    }
    for (int s = 0; s < count; ++s) {
        servers.push_back(std::make_unique<ServerProcess>(database->Url(), FreePort()));
    }
    for (const auto& server : servers) {
        ASSERT_TRUE(server->WaitUp());
    }
}

/// A new occurrence of branch 0001 whose summary is `mark`, as a delta for Confirma.
inline DataPacket NewOccurrence(const std::string& mark) {
    DataPacket delta;
    delta.isDelta = true;
    delta.fields = {{"CDFILIAL", FieldType::String, 4},
                    {"CDFILILANCMO", FieldType::String, 4},
                    {"CDOPERADOR", FieldType::String, 12},
                    {"DSSUMARIAOC", FieldType::String, 30}};
    delta.changes = {{RowState::Inserted,
                      {},
                      {Variant("0001"), Variant("0001"), Variant("001"), Variant(mark)}}};
    return delta;
}
