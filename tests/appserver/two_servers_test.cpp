// Two application servers in processes of their own on one company database, eight
// clients spread across them: every occurrence gets a number of its own, every change a
// server accepted is stored, and of changes made from one reading only one goes through.
#include "raw_client.h"
#include "server_fixture.h"
#include "server_process.h"

#include "appserver/jsonrpc.h"

#include "core/exceptions.h"
#include "database/schema.h"
#include "framework/data/client_dataset.h"

#include <gmock/gmock.h>

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

using ::testing::HasSubstr;

constexpr int kClients = 8;

class TwoServers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartServersOnCompany(2, database, servers));
        // Sessions live in the company database: one sign-in serves both servers.
        RawClient::session = servers[0]->SignIn();
    }
    void TearDown() override {
        RawClient::session.clear();
        servers.clear();
        database.reset();
    }
    /// Runs `client` for every client at once, each connected to its server.
    void EachClientAtOnce(const std::function<void(int c, TNetConnection& net)>& client) const {
        std::vector<std::thread> clients;
        for (int c = 0; c < kClients; ++c) {
            clients.emplace_back([&, c] {
                TNetConnection net;
                ServerOf(c).Connect(net);
                client(c, net);
            });
        }
        for (auto& t : clients) {
            t.join();
        }
    }
    /// Client `c`'s server: the clients alternate between the two.
    const ServerProcess& ServerOf(int c) const { return *servers[static_cast<size_t>(c % 2)]; }
    std::string Scalar(const std::string& sql) const {
        auto db = oca::db::Database::Open(database->Url());
        auto st = db->Prepare(sql);
        return st->Next() ? st->Value(0).AsString() : std::string();
    }

    std::unique_ptr<TestDatabase> database;
    std::vector<std::unique_ptr<ServerProcess>> servers;
};

TEST_F(TwoServers, ConcurrentInsertsGetDistinctNumbersAndAreAllStored) {
    constexpr int kInserts = 12;
    std::map<std::string, std::string> given; // number -> mark
    std::vector<std::string> failures;
    std::mutex mutex;
    EachClientAtOnce([&](int c, TNetConnection& net) {
        for (int i = 0; i < kInserts; ++i) {
            const std::string mark = "c" + std::to_string(c) + "i" + std::to_string(i);
            std::string answer;
            try {
                answer = net.Call("Confirma", {MakePacketVariant(NewOccurrence(mark)), Variant(),
                                               Variant(), Variant("")})
                             .AsString();
            } catch (const Exception& e) {
                answer = e.what();
            }
            const std::lock_guard<std::mutex> lock(mutex);
            if (answer.size() != 10 || answer.find_first_not_of("0123456789") != answer.npos) {
                failures.push_back(mark + ": " + answer);
            } else if (!given.emplace(answer, mark).second) {
                failures.push_back(mark + ": número repetido " + answer);
            }
        }
    });
    EXPECT_THAT(failures, ::testing::IsEmpty());
    ASSERT_EQ(given.size(), static_cast<size_t>(kClients * kInserts));
    auto db = oca::db::Database::Open(database->Url());
    auto st = db->Prepare("SELECT NROCORRMOV, DSSUMARIAOC FROM MOVOCORR WHERE CDFILILANCMO = "
                          "'0001' AND DSSUMARIAOC LIKE 'c%i%'");
    std::map<std::string, std::string> stored;
    while (st->Next()) {
        stored[st->Value(0).AsString()] = st->Value(1).AsString();
    }
    EXPECT_EQ(stored, given);
    // The counter stands at the last number given: no gaps, none given twice.
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"),
              std::to_string(std::stoll(given.rbegin()->first)));
    EXPECT_EQ(std::stoll(given.rbegin()->first) - std::stoll(given.begin()->first) + 1,
              kClients * kInserts);
}

// Writes that recompute one supplier's month at the same time, on both servers: every one
// is stored, and the month's score counts every occurrence, none left out by a write that
// read the month before another's commit.
TEST_F(TwoServers, ConcurrentOccurrencesOfOneSupplierAreAllCountedInItsMonth) {
    constexpr int kInserts = 4;
    std::vector<std::string> failures;
    std::mutex mutex;
    EachClientAtOnce([&](int c, TNetConnection& net) {
        for (int i = 0; i < kInserts; ++i) {
            DataPacket delta = NewOccurrence("fornecedor " + std::to_string(c));
            delta.fields.push_back({"CDFORNECED", FieldType::String, 21});
            delta.fields.push_back({"DTOCORRMOV", FieldType::DateTime});
            delta.changes[0].newValues.push_back(Variant("000001"));
            delta.changes[0].newValues.push_back(Variant(EncodeDate(2026, 10, 15)));
            const std::string answer =
                net.Call("Confirma", {MakePacketVariant(delta), Variant(), Variant(), Variant("")})
                    .AsString();
            if (answer.size() != 10 || answer.find_first_not_of("0123456789") != answer.npos) {
                const std::lock_guard<std::mutex> lock(mutex);
                failures.push_back(answer);
            }
        }
    });
    EXPECT_THAT(failures, ::testing::IsEmpty());
    const std::string stored =
        Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILIAL = '0001' AND CDFORNECED = '000001' "
               "AND DTOCORRMOV >= '2026-10-01 00:00:00' AND DTOCORRMOV < '2026-11-01 00:00:00'");
    ASSERT_GE(std::stoi(stored), kClients * kInserts);
    EXPECT_EQ(Scalar("SELECT QTOCORR FROM QUALIFFORN WHERE CDFILIAL = '0001' AND CDFORNECED = "
                     "'000001' AND NRANOMES = 202610"),
              stored);
}

TEST_F(TwoServers, OfChangesFromOneReadingExactlyOneIsStored) {
    std::vector<Variant> deltas;
    for (int c = 0; c < kClients; ++c) {
        TNetConnection net;
        ServerOf(c).Connect(net);
        TClientDataSet cds;
        cds.SetData(net.Call("GetMovOcorr", WholeSelection()));
        ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000003")));
        cds.Edit();
        cds.FieldByName("DSSUMARIAOC").SetAsString("versão " + std::to_string(c));
        cds.Post();
        deltas.push_back(cds.GetDelta());
    }
    std::vector<std::string> answers(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            TNetConnection net;
            ServerOf(c).Connect(net);
            try {
                answers[static_cast<size_t>(c)] =
                    net.Call("Confirma",
                             {deltas[static_cast<size_t>(c)], Variant(), Variant(), Variant("")})
                        .AsString();
            } catch (const Exception& e) {
                answers[static_cast<size_t>(c)] = e.what();
            }
        });
    }
    for (auto& t : clients) {
        t.join();
    }
    int stored = -1;
    for (int c = 0; c < kClients; ++c) {
        const std::string& answer = answers[static_cast<size_t>(c)];
        if (answer.empty()) {
            EXPECT_EQ(stored, -1) << "two changes from one reading were both accepted";
            stored = c;
        } else {
            EXPECT_THAT(answer, HasSubstr("alterada por outro usuário"));
        }
    }
    ASSERT_GE(stored, 0);
    EXPECT_EQ(Scalar("SELECT DSSUMARIAOC FROM MOVOCORR WHERE CDFILILANCMO = '0001' AND "
                     "NROCORRMOV = '0000000003'"),
              "versão " + std::to_string(stored));
}

// A write whose answer was lost is sent again with its key, to the other server and to
// the first one restarted: it is stored once, and every answer is the first. The key lives
// in the company database with the write; a refused write leaves none.
TEST_F(TwoServers, AWriteSentAgainToAnyServerAfterARestartIsStoredOnce) {
    const auto post = [](const ServerProcess& server, const std::string& body,
                         const std::string& key) {
        RawClient raw(server.Port());
        raw.Send(RawClient::Post(body, "t", "Idempotency-Key: " + key + "\r\n"));
        return RawClient::Body(raw.Read(5000));
    };
    const std::string write = oca::server::MakeRpcRequest(
        7, "Confirma",
        {MakePacketVariant(NewOccurrence("uma vez")), Variant(), Variant(), Variant("")});
    const std::string first = post(*servers[0], write, "chave-reinicio");
    ASSERT_THAT(first, HasSubstr(R"("result":"0000000005")"));

    servers[0] = std::make_unique<ServerProcess>(database->Url(), FreePort());
    ASSERT_TRUE(servers[0]->WaitUp());
    EXPECT_EQ(post(*servers[1], write, "chave-reinicio"), first);
    EXPECT_EQ(post(*servers[0], write, "chave-reinicio"), first);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE DSSUMARIAOC = 'uma vez'"), "1");

    // Each write of a batch has its key; the batch sent again stores nothing more.
    const std::string batch =
        "[" +
        oca::server::MakeRpcRequest(
            1, "Confirma",
            {MakePacketVariant(NewOccurrence("lote a")), Variant(), Variant(), Variant("")}) +
        "," + oca::server::MakeRpcRequest(2, "GetSysDate", {}) + "," +
        oca::server::MakeRpcRequest(
            3, "Confirma",
            {MakePacketVariant(NewOccurrence("lote b")), Variant(), Variant(), Variant("")}) +
        "]";
    const std::string answered = post(*servers[1], batch, "chave-lote");
    post(*servers[0], batch, "chave-lote");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE DSSUMARIAOC LIKE 'lote %'"), "2");
    EXPECT_THAT(answered, HasSubstr(R"("result":"0000000006")"));
    EXPECT_THAT(answered, HasSubstr(R"("result":"0000000007")"));

    // Refused (no branch of record): nothing stored, no key kept.
    DataPacket refused = NewOccurrence("recusada");
    refused.changes[0].newValues[1] = Variant("");
    post(*servers[0],
         oca::server::MakeRpcRequest(
             9, "Confirma", {MakePacketVariant(refused), Variant(), Variant(), Variant("")}),
         "chave-recusada");
    // Answered with an error before it wrote anything: no key kept either.
    post(*servers[1],
         oca::server::MakeRpcRequest(10, "SetApuraQualif",
                                     {Variant("0001"), Variant("001"), Variant(""), Variant(""),
                                      Variant("9999"), Variant("000001"),
                                      Variant(EncodeDate(2026, 10, 1)),
                                      Variant(EncodeDate(2026, 10, 1))}),
         "chave-recusada-2");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CHAMADAGRAV WHERE CDCHAVE LIKE 'chave-recusada%'"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CHAMADAGRAV WHERE CDCHAVE LIKE 'chave-lote%'"), "2");
}

// Keys are kept two days, then go: the first write a server runs clears the old ones.
TEST_F(TwoServers, KeysOlderThanTheirTwoDaysGoWithAWrite) {
    {
        auto db = oca::db::Database::Open(database->Url());
        for (const auto& [key, daysAgo] : {std::pair{"chave-velha", 3.0}, {"chave-recente", 1.0}}) {
            db->Execute("INSERT INTO CHAMADAGRAV (CDCHAVE, DSDIGEST, DTCHAMADA, DSRESPOSTA) "
                        "VALUES (:K, 'x', :T, '\"\"')",
                        {{"K", Variant(key)}, {"T", Variant(TDateTime(Now().Value - daysAgo))}});
        }
    }
    TNetConnection net;
    servers[0]->Connect(net);
    const std::string number = net.Call("Confirma", {MakePacketVariant(NewOccurrence("limpeza")),
                                                     Variant(), Variant(), Variant("")})
                                   .AsString();
    EXPECT_EQ(number.size(), 10u) << number;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CHAMADAGRAV WHERE CDCHAVE = 'chave-velha'"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CHAMADAGRAV WHERE CDCHAVE = 'chave-recente'"), "1");
}

// The same write sent at once to both servers, again and again under one key (a client
// that retried while the first try still ran): it is stored once, and every answer that
// comes back is that one write's.
TEST_F(TwoServers, OneKeySentToBothServersAtOnceIsStoredOnce) {
    const std::string write = oca::server::MakeRpcRequest(
        4, "Confirma",
        {MakePacketVariant(NewOccurrence("ao mesmo tempo")), Variant(), Variant(), Variant("")});
    std::vector<std::string> answers(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            RawClient raw(ServerOf(c).Port());
            raw.Send(RawClient::Post(write, "t", "Idempotency-Key: chave-corrida\r\n"));
            answers[static_cast<size_t>(c)] = RawClient::Body(raw.Read(10000));
        });
    }
    for (auto& t : clients) {
        t.join();
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE DSSUMARIAOC = 'ao mesmo tempo'"), "1");
    EXPECT_THAT(answers[0], HasSubstr(R"("result":"0000000005")"));
    for (const std::string& answer : answers) {
        EXPECT_EQ(answer, answers[0]);
    }
}

} // namespace
