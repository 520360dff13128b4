// Desktops behind HAProxy, two servers behind it on one company: one server is killed while
// the clients confirm, and every write acknowledged is stored once, none twice, the
// clients going on through the other server.
#include "server_fixture.h"
#include "server_process.h"

#include "core/exceptions.h"

#include <gmock/gmock.h>

#include <sys/wait.h>

#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

namespace {

constexpr const char* kHaproxy = "/usr/sbin/haproxy";

class LoadBalancer : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kHaproxy, X_OK) != 0) {
            GTEST_SKIP() << "sem o haproxy";
        }
        ASSERT_NO_FATAL_FAILURE(StartServersOnCompany(2, database, servers));
        port = FreePort();
        config = std::filesystem::temp_directory_path() /
                 ("oca_haproxy_" + std::to_string(::getpid()) + ".cfg");
        std::ofstream(config) << "global\n"
                                 "    maxconn 256\n"
                                 "defaults\n"
                                 "    mode http\n"
                                 "    timeout connect 2s\n"
                                 "    timeout client 60s\n"
                                 "    timeout server 60s\n"
                                 "frontend ocorrencias\n"
                                 "    bind 127.0.0.1:"
                              << port
                              << "\n"
                                 "    default_backend servidores\n"
                                 "backend servidores\n"
                                 "    balance roundrobin\n"
                                 "    option redispatch\n"
                                 "    retries 2\n"
                                 "    option httpchk GET /ready\n"
                                 "    http-check expect status 200\n"
                                 "    default-server inter 200ms fall 1 rise 2\n"
                                 "    server s1 127.0.0.1:"
                              << servers[0]->Port()
                              << " check\n    server s2 127.0.0.1:" << servers[1]->Port()
                              << " check\n";
        haproxy = ::fork();
        if (haproxy == 0) {
            if (!::freopen("/dev/null", "w", stderr) || !::freopen("/dev/null", "w", stdout)) {
                ::_exit(126);
            }
            ::execl(kHaproxy, kHaproxy, "-db", "-f", config.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 300 && !RawClient(port).Connected(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    void TearDown() override {
        if (haproxy > 0) {
            ::kill(haproxy, SIGTERM);
            ::waitpid(haproxy, nullptr, 0);
        }
        std::filesystem::remove(config);
        servers.clear();
        database.reset();
    }
    void Connect(TNetConnection& client) const {
        client.SetServerName("OCA0080A.rdmOcorAtendimento");
        client.SetPort(port);
        client.SetToken("t");
        client.SetCredentials("001", "senha001", "0001", 30);
    }

    std::unique_ptr<TestDatabase> database;
    std::vector<std::unique_ptr<ServerProcess>> servers;
    std::filesystem::path config;
    pid_t haproxy = -1;
    int port = 0;
};

TEST_F(LoadBalancer, AServerKilledMidTrafficLosesAndDoublesNoWrite) {
    constexpr int kClients = 4;
    constexpr int kWrites = 40;
    std::mutex mutex;
    std::vector<std::string> acknowledged, failed;
    std::atomic<int> done{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            TNetConnection net;
            Connect(net);
            for (int i = 0; i < kWrites; ++i) {
                const std::string mark = "lb" + std::to_string(c) + "-" + std::to_string(i);
                try {
                    const Variant answer =
                        net.Call("Confirma", {MakePacketVariant(NewOccurrence(mark)), Variant(),
                                              Variant(), Variant(std::string())});
                    const std::lock_guard<std::mutex> lock(mutex);
                    (answer.AsString().size() == 10 ? acknowledged : failed).push_back(mark);
                } catch (const Exception& e) {
                    const std::lock_guard<std::mutex> lock(mutex);
                    failed.push_back(mark + ": " + e.Message());
                }
                ++done;
            }
        });
    }
    while (done < kClients * kWrites / 4) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    servers[0]->Kill(); // mid-traffic: its calls in flight are cut
    for (std::thread& t : clients) {
        t.join();
    }
    EXPECT_THAT(failed, ::testing::IsEmpty()) << "every client went on through the other";

    auto db = oca::db::Database::Open(database->Url());
    auto st = db->Prepare("SELECT DSSUMARIAOC, COUNT(*) FROM MOVOCORR WHERE DSSUMARIAOC LIKE "
                          "'lb%' GROUP BY DSSUMARIAOC");
    std::map<std::string, std::int64_t> stored;
    while (st->Next()) {
        stored[st->Value(0).AsString()] = st->Value(1).AsInteger();
    }
    for (const std::string& mark : acknowledged) {
        EXPECT_EQ(stored.count(mark), 1u) << mark << " acknowledged but not stored";
    }
    for (const auto& [mark, count] : stored) {
        EXPECT_EQ(count, 1) << mark << " stored " << count << " times";
    }
    EXPECT_EQ(acknowledged.size(), static_cast<size_t>(kClients * kWrites));
}

} // namespace
