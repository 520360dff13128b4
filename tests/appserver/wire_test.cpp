// The wire as JSON-RPC 2.0 has it: batches, notifications, and the limits every call of
// a request shares; and a write sent twice stored once.
#include "raw_client.h"
#include "server_fixture.h"

#include "core/exceptions.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <thread>

using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace {

const oca::server::RpcHandler kEcho = [](const std::string& m, const std::vector<Variant>& p) {
    if (m == "falha") {
        throw oca::server::RpcError(-32602, "argumento errado");
    }
    return p.empty() ? Variant("") : p[0];
};

std::string Call(int id, const char* method, const char* params = "[]") {
    return R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" + method +
           R"(","params":)" + params + "}";
}

std::string Notify(const char* method) {
    return R"({"jsonrpc":"2.0","method":")" + std::string(method) + R"(","params":[]})";
}

TEST(JsonRpcBatch, AnswersEachCallWithAnIdAndNoNotification) {
    std::vector<oca::server::RpcOutcome> outcomes;
    std::vector<std::string> ran;
    const oca::server::RpcHandler handler = [&](const std::string& m,
                                                const std::vector<Variant>& p) {
        ran.push_back(m);
        return kEcho(m, p);
    };
    const std::string text = oca::server::HandleRpc(
        "[" + Call(1, "eco", R"(["a"])") + "," + Notify("eco") + "," + Call(2, "falha") + ",7]",
        handler, outcomes);
    const json reply = json::parse(text);
    ASSERT_TRUE(reply.is_array());
    ASSERT_EQ(reply.size(), 3u) << "the notification gets no reply, the bad entry does";
    EXPECT_EQ(reply[0]["id"], 1);
    EXPECT_EQ(reply[0]["result"], "a");
    EXPECT_EQ(reply[1]["id"], 2);
    EXPECT_EQ(reply[1]["error"]["code"], -32602);
    EXPECT_TRUE(reply[2]["id"].is_null());
    EXPECT_EQ(reply[2]["error"]["code"], -32600);
    EXPECT_THAT(ran, ElementsAre("eco", "eco", "falha")) << "the notification ran too";
    ASSERT_EQ(outcomes.size(), 4u);
    EXPECT_TRUE(outcomes[1].notification);
    // What the log says of each: the method and id as written, "-" where there is none.
    EXPECT_EQ(outcomes[0].method, "eco");
    EXPECT_EQ(outcomes[0].id, "1");
    EXPECT_EQ(outcomes[0].result, "ok");
    EXPECT_EQ(outcomes[2].method, "falha");
    EXPECT_EQ(outcomes[3].method, "-");
    EXPECT_THAT(outcomes[3].result, HasSubstr("-32600"));
}

TEST(JsonRpcBatch, EdgeCasesByShape) {
    struct Case {
        const char* what;
        std::string body;
        std::string reply; ///< "" when nothing is answered
    };
    const std::vector<Case> cases = {
        {"empty batch", "[]",
         R"({"error":{"code":-32600,"message":"Lote vazio"},"id":null,"jsonrpc":"2.0"})"},
        {"notification", Notify("eco"), ""},
        {"notification that fails", Notify("falha"), ""},
        {"batch of notifications", "[" + Notify("eco") + "," + Notify("eco") + "]", ""},
        {"null id is answered", R"({"jsonrpc":"2.0","id":null,"method":"eco","params":["x"]})",
         R"({"id":null,"jsonrpc":"2.0","result":"x"})"},
        {"string id kept", R"({"jsonrpc":"2.0","id":"a","method":"eco","params":["x"]})",
         R"({"id":"a","jsonrpc":"2.0","result":"x"})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<oca::server::RpcOutcome> outcomes;
        EXPECT_EQ(oca::server::HandleRpc(c.body, kEcho, outcomes), c.reply);
    }
    std::string many = "[";
    for (size_t i = 0; i <= oca::server::kMaxBatchCalls; ++i) {
        many += (i ? "," : "") + Call(static_cast<int>(i), "eco");
    }
    std::vector<oca::server::RpcOutcome> outcomes;
    EXPECT_THAT(oca::server::HandleRpc(many + "]", kEcho, outcomes), HasSubstr(R"("code":-32600)"));
}

TEST(JsonRpcBatch, ABatchSharesOneAnswerBudget) {
    const oca::server::RpcHandler big = [](const std::string&, const std::vector<Variant>&) {
        return Variant(std::string(600, 'x'));
    };
    std::vector<oca::server::RpcOutcome> outcomes;
    const json reply = json::parse(
        oca::server::HandleRpc("[" + Call(1, "a") + "," + Call(2, "a") + "]", big, outcomes, 1000));
    ASSERT_EQ(reply.size(), 2u);
    EXPECT_TRUE(reply[0].contains("result"));
    EXPECT_EQ(reply[1]["error"]["code"], oca::server::kAnswerTooLarge);
}

class Wire : public ServerTest {
protected:
    std::string Post(const std::string& body, const std::string& extra = "") {
        RawClient raw(port);
        raw.Send(RawClient::Post(body, token, extra));
        return raw.Read(5000);
    }
    std::string Count(const std::string& sql) {
        auto db = oca::db::Database::Open(url);
        auto st = db->Prepare(sql);
        st->Next();
        return st->Value(0).AsString();
    }
    static std::string NewOccurrence() {
        return R"({"jsonrpc":"2.0","id":1,"method":"Confirma","params":[{"$packet":{"fields":[)"
               R"({"name":"CDFILIAL","type":"string","size":4},)"
               R"({"name":"CDFILILANCMO","type":"string","size":4},)"
               R"({"name":"CDOPERADOR","type":"string","size":12}],)"
               R"("changes":[{"state":"inserted","new":["0001","0001","001"]}]}},null,null,""]})";
    }
};

TEST_F(Wire, ABatchOverHttpGetsAnArrayAndNotificationsNoBody) {
    const std::string batch =
        R"([{"jsonrpc":"2.0","id":1,"method":"GetSysDate","params":[]},)"
        R"({"jsonrpc":"2.0","id":2,"method":"GetParamFilial","params":["","T"]}])";
    const std::string answer = Post(batch);
    ASSERT_EQ(RawClient::Status(answer), 200);
    const json reply = json::parse(RawClient::Body(answer));
    ASSERT_TRUE(reply.is_array());
    std::vector<int> ids;
    for (const json& r : reply) {
        EXPECT_TRUE(r.contains("result"));
        ids.push_back(r["id"].get<int>());
    }
    EXPECT_THAT(ids, UnorderedElementsAre(1, 2));
    const std::string none = Post(R"({"jsonrpc":"2.0","method":"GetSysDate","params":[]})");
    EXPECT_EQ(RawClient::Status(none), 204);
    EXPECT_EQ(RawClient::Body(none), "");
}

// A batch's answers are gathered before they go out, so they have a limit of their own,
// far below a single call's (which goes out as it is written).
class WireBatchLimit : public Wire {
protected:
    void Adjust(oca::server::HttpOptions& options) override { options.maxBatchAnswer = 2048; }
};

TEST_F(WireBatchLimit, ABatchPastItsOwnLimitIsRefusedCallByCallAndASingleCallIsNot) {
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(RawClient::Status(Post(NewOccurrence())), 200);
    }
    const std::string load = oca::server::MakeRpcRequest(1, "GetMovOcorr", WholeSelection());
    const json alone = json::parse(RawClient::Body(Post(load)));
    ASSERT_TRUE(alone.contains("result")) << alone.dump().substr(0, 300);
    ASSERT_GT(alone["result"].dump().size(), 2048u) << "the load must pass the batch limit";

    const json batch =
        json::parse(RawClient::Body(Post("[" + load + "," + Call(2, "GetSysDate") + "]")));
    ASSERT_EQ(batch.size(), 2u);
    for (const json& r : batch) {
        if (r["id"] == 1) {
            EXPECT_EQ(r["error"]["code"], oca::server::kAnswerTooLarge);
            EXPECT_THAT(r["error"]["message"].get<std::string>(), HasSubstr("fora de um lote"));
        } else {
            EXPECT_TRUE(r.contains("result")) << "a small call of the batch is answered";
        }
    }
}

TEST_F(Wire, AWriteSentAgainWithItsKeyIsStoredOnce) {
    const std::string before = Count("SELECT COUNT(*) FROM MOVOCORR");
    const std::string key = "Idempotency-Key: chave-1\r\n";
    const std::string first = RawClient::Body(Post(NewOccurrence(), key));
    const std::string again = RawClient::Body(Post(NewOccurrence(), key));
    EXPECT_THAT(first, HasSubstr(R"("result":"00000)"));
    EXPECT_EQ(again, first) << "the repeat is answered with the first answer";
    EXPECT_EQ(std::stoi(Count("SELECT COUNT(*) FROM MOVOCORR")), std::stoi(before) + 1);
    // The same call written otherwise (blanks, a name with an escape) is the same call.
    std::string escaped = NewOccurrence() + " ";
    escaped.replace(escaped.find("\"Confirma\""), 10, R"("Confirm\u0061")");
    EXPECT_EQ(RawClient::Body(Post(escaped, key)), first);
    // The same key with another call is the client's mistake, and nothing runs.
    std::string other = NewOccurrence();
    other.replace(other.find("\"001\"]"), 5, "\"002\"");
    const json mistaken = json::parse(RawClient::Body(Post(other, key)));
    EXPECT_EQ(mistaken["error"]["code"], oca::server::kKeyReused);
    // A read is never kept: its answer may be large, and reading twice is safe.
    EXPECT_EQ(RawClient::Status(Post(Call(3, "GetSysDate"), key)), 200);
    // Without a key, or with another, each request runs.
    Post(NewOccurrence(), "Idempotency-Key: chave-2\r\n");
    Post(NewOccurrence());
    EXPECT_EQ(std::stoi(Count("SELECT COUNT(*) FROM MOVOCORR")), std::stoi(before) + 3);
}

// A restart between a stored write and its answer would make the client send the write
// again to a server that no longer remembers it: a stop lets the calls it has read finish
// and answer first.
TEST_F(Wire, AStopLetsTheCallsAlreadyReadFinishAndAnswer) {
    const std::string before = Count("SELECT COUNT(*) FROM MOVOCORR");
    auto holder = oca::db::Database::Open(url);
    holder->Begin(); // the company's write lock: the call waits for it
    std::string answer;
    std::thread call([&] { answer = Post(NewOccurrence()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::thread stop([&] { front->Stop(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    {
        RawClient late(port);
        EXPECT_FALSE(late.Connected()) << "a newcomer is refused at once while the call ends";
    }
    holder->Rollback();
    call.join();
    stop.join();
    EXPECT_EQ(RawClient::Status(answer), 200);
    EXPECT_THAT(RawClient::Body(answer), HasSubstr(R"("result":"0)"));
    EXPECT_EQ(std::stoi(Count("SELECT COUNT(*) FROM MOVOCORR")), std::stoi(before) + 1);
}

TEST_F(Wire, ACallPastItsLimitsStopsWithItsOwnError) {
    auto gone = std::make_shared<std::atomic<bool>>(true);
    oca::server::CallLimits left = signedIn;
    left.clientGone = gone;
    try {
        server->Call("GetSysDate", {}, left);
        FAIL();
    } catch (const oca::server::RpcError& e) {
        EXPECT_EQ(e.code(), oca::server::kClientGone);
    }
    oca::server::CallLimits late = signedIn;
    late.deadline = std::chrono::steady_clock::now();
    late.seconds = 3;
    try {
        server->Call("GetSysDate", {}, late);
        FAIL();
    } catch (const oca::server::RpcError& e) {
        EXPECT_EQ(e.code(), oca::server::kCallTimedOut);
        EXPECT_THAT(e.what(), HasSubstr("3 s"));
    }
}

TEST(CallLimits, AStatementRunningPastItsLimitIsStopped) {
    auto db = oca::db::Database::Open("sqlite::memory:");
    const auto started = std::chrono::steady_clock::now();
    db->SetInterrupt(
        [&] { return std::chrono::steady_clock::now() - started > std::chrono::milliseconds(50); });
    // Counts far beyond what fits in the limit.
    auto st = db->Prepare("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE "
                          "I < 300000000) SELECT COUNT(*) FROM N");
    EXPECT_THROW(st->Next(), oca::db::SqlError);
    db->SetInterrupt(nullptr);
    auto quick = db->Prepare("SELECT 1");
    EXPECT_TRUE(quick->Next()) << "the connection serves again without the check";
}

TEST(SecretsAndLogs, CompareAndEscapeSafely) {
    EXPECT_TRUE(oca::server::SameSecret("Bearer abc", "Bearer abc"));
    for (const char* other : {"Bearer ab", "Bearer abcd", "Bearer abd", "", "bearer abc"}) {
        EXPECT_FALSE(oca::server::SameSecret(other, "Bearer abc")) << other;
    }
    EXPECT_EQ(oca::server::LogSafe("Get\nrpc ok\x1b[2J", 64), "Get\\x0arpc ok\\x1b[2J");
    EXPECT_EQ(oca::server::LogSafe("ação", 64), "ação");
    EXPECT_EQ(oca::server::LogSafe(std::string(100, 'a'), 10), std::string(10, 'a') + "...");
}

} // namespace
