// The server killed without warning in the middle of confirmations, again and again: the
// database stays whole and every confirmation a client was told of is there.
#include "server_fixture.h"
#include "server_process.h"

#include "core/exceptions.h"

#include <gmock/gmock.h>

#include <atomic>
#include <map>
#include <mutex>
#include <random>
#include <thread>

namespace {

TEST(CrashConsistency, EveryAcknowledgedConfirmationSurvivesKills) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("oca_crash_" + std::to_string(::getpid()) + ".sqlite");
    const std::string url = "sqlite:" + path.string();
    {
        auto db = oca::db::Database::Open(url);
        SeedCompany(*db);
    }
    std::mt19937 random(20261208);
    std::map<std::string, std::string> acknowledged; // number -> mark
    std::mutex mutex;
    constexpr int kRounds = 8;
    for (int round = 0; round < kRounds; ++round) {
        const int port = FreePort();
        ServerProcess server(url, port);
        ASSERT_TRUE(server.WaitUp()) << "round " << round;
        std::atomic<bool> down{false};
        std::vector<std::thread> clients;
        for (int c = 0; c < 4; ++c) {
            clients.emplace_back([&, c] {
                TNetConnection net;
                server.Connect(net);
                for (int i = 0; !down; ++i) {
                    const std::string mark = "r" + std::to_string(round) + "c" + std::to_string(c) +
                                             "i" + std::to_string(i);
                    try {
                        const std::string number =
                            net.Call("Confirma", {MakePacketVariant(NewOccurrence(mark)), Variant(),
                                                  Variant(), Variant("")})
                                .AsString();
                        const std::lock_guard<std::mutex> lock(mutex);
                        acknowledged[number] = mark;
                    } catch (const Exception&) {
                        return; // the server is gone: what was not acknowledged may be lost
                    }
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 200));
        server.Kill();
        down = true;
        for (auto& t : clients) {
            t.join();
        }
    }
    ASSERT_GT(acknowledged.size(), static_cast<size_t>(kRounds));
    auto db = oca::db::Database::Open(url);
    auto integrity = db->Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(integrity->Next());
    EXPECT_EQ(integrity->Value(0).AsString(), "ok");
    auto st = db->Prepare("SELECT NROCORRMOV, DSSUMARIAOC FROM MOVOCORR WHERE CDFILILANCMO = "
                          "'0001' AND DSSUMARIAOC LIKE 'r%'");
    std::map<std::string, std::string> stored;
    while (st->Next()) {
        stored[st->Value(0).AsString()] = st->Value(1).AsString();
    }
    for (const auto& [number, mark] : acknowledged) {
        ASSERT_TRUE(stored.count(number)) << "acknowledged " << number << " was lost";
        EXPECT_EQ(stored[number], mark);
    }
    // Every occurrence stored has its history, and the history holds no insert that was not
    // stored: the two went to the disk together or not at all.
    auto recorded = db->Prepare("SELECT NROCORRMOV, DSVALORNOVO FROM HISTMOVOCORR WHERE "
                                "CDFILILANCMO = '0001' AND IDOPERACAO = 'I' AND "
                                "NMCAMPO = 'DSSUMARIAOC' AND DSVALORNOVO LIKE 'r%'");
    std::map<std::string, std::string> history;
    while (recorded->Next()) {
        history[recorded->Value(0).AsString()] = recorded->Value(1).AsString();
    }
    EXPECT_EQ(history, stored);
    // The counter never hands out a number again.
    auto counter = db->Prepare("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'");
    ASSERT_TRUE(counter->Next());
    EXPECT_GE(counter->Value(0).AsInteger(), std::stoll(stored.rbegin()->first));
    db.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(path.string() + suffix);
    }
}

} // namespace
