// A large selection goes out in chunks as its rows are read: the client gets the same
// answer, and a client that hangs up or stops reading holds neither a worker nor memory.
#include "raw_client.h"
#include "server_fixture.h"

#include "appserver/http_request.h"
#include "appserver/jsonrpc.h"

#include "core/exceptions.h"
#include "framework/script/scripted_ui_driver.h"

#include <gmock/gmock.h>

#include <future>
#include <thread>

using ::testing::HasSubstr;

namespace {

class Stream : public ServerTest {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        // Small, so that a client that reads nothing fills it at once.
        options.streamQueued = 64 << 10;
        options.streamPatienceMs = 300;
        options.threads = 2;
    }
    void SetUp() override {
        ServerTest::SetUp();
        // About 11 MB of answer: more than the sockets on both ends hold.
        oca::db::Database::Open(url)->ExecuteScript(
            "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 30000) "
            "INSERT INTO MOVOCORR (CDFILILANCMO, NROCORRMOV, CDFILIAL, CDFORNECED, DTOCORRMOV, "
            "CDOPERADOR, DSSUMARIAOC, NMPESSIDETOC) SELECT '0001', CAST(1000000100 + I AS "
            "VARCHAR(10)), "
            "'0001', '000001', '2026-10-10 10:00:00', '001', 'Resumo ' || I, "
            "'Pessoa identificada nº ' || I FROM N");
    }
    static std::string Request() {
        return RawClient::Post(oca::server::MakeRpcRequest(1, "GetMovOcorr", WholeSelection()),
                               "segredo");
    }
    bool Serving() { return net.Call("GetSysDate").AsPacket().rows.size() == 1; }
};

TEST_F(Stream, TheClientGetsTheSameAnswerInChunks) {
    const Variant streamed = net.Call("GetMovOcorr", WholeSelection());
    const Variant whole = server->Call("GetMovOcorr", WholeSelection(), signedIn);
    ASSERT_GT(whole.AsPacket().rows.size(), 30000u);
    EXPECT_EQ(streamed.AsPacket(), whole.AsPacket());
    RawClient raw(port);
    raw.Send(Request());
    EXPECT_THAT(raw.ReadSome(3000), HasSubstr("Transfer-Encoding: chunked"));
}

// A person who stops a long load gets no message (they asked for it), and the connection
// goes on serving the next call.
TEST_F(Stream, APersonStopsALongLoadAndTheConnectionServesOn) {
    ScriptedUiDriver ui;
    SetUi(&ui);
    ui.QueueStopLoad();
    EXPECT_THROW(net.Call("GetMovOcorr", WholeSelection()), EAbort);
    EXPECT_THAT(ui.Journal(), ::testing::ElementsAre("progress: interrompido em Recebendo a "
                                                     "resposta do servidor: 4 MB..."));
    EXPECT_TRUE(Serving());
    EXPECT_GT(net.Call("GetMovOcorr", WholeSelection()).AsPacket().rows.size(), 30000u)
        << "the next load, not stopped, arrives whole";
    SetUi(nullptr);
}

TEST_F(Stream, ClientsThatHangUpOrStopReadingHoldNoWorker) {
    // More than the workers: each hangs up after the first bytes.
    for (int i = 0; i < 10; ++i) {
        RawClient raw(port);
        raw.Send(Request());
        EXPECT_EQ(RawClient::Status(raw.ReadSome(3000)), 200);
    }
    EXPECT_TRUE(Serving());
    // More than the workers again, each reading nothing at all, and staying.
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 10; ++i) {
        idle.push_back(std::make_unique<RawClient>(port, 4096));
        idle.back()->Send(Request());
    }
    // Starved, the call would wait as long as the readers do: a generous watchdog tells.
    auto served = std::async(std::launch::async, [this] { return Serving(); });
    ASSERT_EQ(served.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "clients that read nothing hold the workers";
    EXPECT_TRUE(served.get());
    // The one that reads at last gets the whole answer.
    EXPECT_THAT(idle.front()->Read(5000), ::testing::EndsWith("}\r\n0\r\n\r\n"));
}

// Clients that stop reading may leave only so much unsent all together: the answers that
// would pass it are cut off, and the server's memory does not grow with each laggard.
class StreamBudget : public Stream {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        Stream::Adjust(options);
        options.maxStreamBuffered = 8 << 20;
    }
};

TEST_F(StreamBudget, LaggardsPastTheBudgetAreCutOffAndTheFirstStillGetsItsAnswer) {
    std::vector<std::unique_ptr<RawClient>> laggards;
    for (int i = 0; i < 6; ++i) {
        laggards.push_back(std::make_unique<RawClient>(port, 4096));
        laggards.back()->Send(Request());
    }
    // Each answer is about 11 MB; the sockets hold a few, the budget 8 more in all.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_TRUE(Serving());
    int whole = 0;
    int cut = 0;
    for (auto& laggard : laggards) {
        const std::string answer = laggard->Read(3000);
        if (answer.size() > 5 && answer.compare(answer.size() - 5, 5, "0\r\n\r\n") == 0) {
            ++whole;
        } else {
            ++cut;
        }
    }
    EXPECT_GE(whole, 1) << "the budget serves some laggards whole";
    EXPECT_GE(cut, 1) << "past the budget, the answers are cut";
}

} // namespace

namespace {

// Loads whose clients read nothing hold every general worker for as long as they like;
// a person's lookup and confirm still go through, on the workers kept for quick calls.
class StreamLanes : public Stream {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        Stream::Adjust(options);
        options.streamPatienceMs = 120000;
        options.quickThreads = 1;
    }
};

TEST_F(StreamLanes, QuickCallsAreAnsweredWhileLongLoadsHoldTheWorkers) {
    // Signed in before: a sign-in is not a quick call.
    TNetConnection other;
    Connect(other);
    other.Call("GetSysDate");
    std::vector<std::unique_ptr<RawClient>> loads;
    for (int i = 0; i < 8; ++i) {
        loads.push_back(std::make_unique<RawClient>(port, 4096));
        loads.back()->Send(Request());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the loads take the workers
    auto quick = std::async(std::launch::async, [&other] {
        const bool dated = other.Call("GetSysDate").AsPacket().rows.size() == 1;
        DataPacket delta;
        delta.isDelta = true;
        delta.fields = {{"CDFILIAL", FieldType::String, 4},
                        {"CDFILILANCMO", FieldType::String, 4},
                        {"CDOPERADOR", FieldType::String, 12}};
        delta.changes = {
            {RowState::Inserted, {}, {Variant("0001"), Variant("0001"), Variant("001")}}};
        const std::string number =
            other.Call("Confirma", {MakePacketVariant(delta), Variant(), Variant(), Variant("")})
                .AsString();
        return dated && number.size() == 10;
    });
    // Behind the loads, the calls would wait as long as the loads' readers do.
    ASSERT_EQ(quick.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "a quick call waited behind the loads";
    EXPECT_TRUE(quick.get());
    // The loads were running all along: one that reads at last gets its whole answer.
    EXPECT_THAT(loads.front()->Read(20000), ::testing::EndsWith("}\r\n0\r\n\r\n"));
}

// Which requests the reserved workers may take: one call of a method that answers at once,
// its name read as JSON reads it; never a whole selection, a panel's period or a batch.
TEST(QuickCall, OnlySingleCallsOfQuickMethodsAreQuick) {
    const auto request = [](const std::string& method, const std::string& body) {
        oca::server::HttpRequest r;
        r.method = method;
        r.body = body;
        return r;
    };
    const std::string call = R"({"jsonrpc":"2.0","id":1,"method":)";
    const struct {
        const char* what;
        oca::server::HttpRequest request;
        bool quick;
    } cases[] = {
        {"handshake", request("GET", ""), true},
        {"server date", request("POST", call + R"("GetSysDate","params":[]})"), true},
        {"confirm, name escaped", request("POST", call + R"("Confirm\u0061","params":[]})"), true},
        {"selection", request("POST", call + R"("GetMovOcorr","params":[]})"), false},
        {"selection, name escaped", request("POST", call + R"("GetMov\u004fcorr","params":[]})"),
         false},
        {"panel", request("POST", call + R"("GetQualifForn","params":[]})"), false},
        {"sign-in", request("POST", call + R"("Entrar","params":[]})"), false},
        {"batch", request("POST", "[" + call + R"("GetSysDate","params":[]}])"), false},
        {"not json", request("POST", "{isto não é json"), false},
        {"no method", request("POST", R"({"jsonrpc":"2.0","id":1})"), false},
        {"large",
         request("POST", call + R"("GetSysDate","params":[")" + std::string(70000, 'x') + R"("]})"),
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(oca::server::QuickCall(c.request), c.quick) << c.what;
    }
}

} // namespace
