// Clients that send what no careful client would: the server answers each with a clear
// refusal and goes on answering everybody else.
#include "raw_client.h"
#include "server_fixture.h"
#include "server_process.h"

#include "appserver/metrics.h"
#include "core/exceptions.h"
#include "core/packet_json.h"

#include <gmock/gmock.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <thread>

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

class Hostile : public ServerTest {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        options.headTimeoutMs = 1500;
        options.bodyTimeoutMs = 1500;
    }

    /// One request on a connection of its own; the whole answer text.
    std::string Ask(const std::string& body, const std::string& extra = "") {
        RawClient raw(port);
        raw.Send(RawClient::Post(body, token, extra));
        return raw.Read(5000);
    }

    int ErrorCode(const std::string& answer) {
        const auto reply = nlohmann::json::parse(RawClient::Body(answer));
        return reply.at("error").at("code").get<int>();
    }

    bool Serving() { return net.Call("GetSysDate").AsPacket().rows.size() == 1; }
};

std::string Nested(size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

struct Malformed {
    const char* what;
    std::string body;
    int code;
};

TEST_F(Hostile, MalformedRequestsGetAJsonRpcErrorNeverAnHttpFailure) {
    const std::string call = R"({"jsonrpc":"2.0","id":1,"method":)";
    const std::vector<Malformed> cases = {
        {"deep list", Nested(65000), -32600},
        {"deep params", call + R"("GetSysDate","params":[)" + Nested(65000) + "]}", -32600},
        {"deep object", std::string(70000, '{'), -32600},
        {"jsonrpc not a text", R"({"jsonrpc":2,"id":1,"method":"GetSysDate"})", -32600},
        {"jsonrpc an object", R"({"jsonrpc":{"a":1},"id":1,"method":"GetSysDate"})", -32600},
        {"method a number", call + "12}", -32600},
        {"id an object", R"({"jsonrpc":"2.0","id":{},"method":"GetSysDate"})", -32600},
        {"number too large", call + R"("GetLote","params":[1e400,"","",""]})", -32600},
        {"integer too large", call + R"("GetLote","params":[18446744073709551615,"","",""]})",
         -32602},
        {"named params", call + R"("GetSysDate","params":{"a":1}})", -32602},
        {"field size a text",
         call +
             R"("Confirma","params":[{"$packet":{"fields":[{"name":"A","type":"string","size":"x"}],"changes":[]}},null,null,""]})",
         -32602},
        {"field label a number",
         call +
             R"("Confirma","params":[{"$packet":{"fields":[{"name":"A","type":"string","label":7}],"changes":[]}},null,null,""]})",
         -32602},
        {"field flag a text",
         call +
             R"("Confirma","params":[{"$packet":{"fields":[{"name":"A","type":"string","visible":"no"}],"changes":[]}},null,null,""]})",
         -32602},
        {"field named twice",
         call +
             R"("Confirma","params":[{"$packet":{"fields":[{"name":"CDFILIAL","type":"string"},{"name":"CDFILIAL","type":"string"}],"changes":[]}},null,null,""]})",
         -32602},
        {"field of no table",
         call +
             R"("Confirma","params":[{"$packet":{"fields":[{"name":"SENHA","type":"string"}],"changes":[]}},null,null,""]})",
         -32602},
        {"unknown wrapper", call + R"("GetLote","params":[{"$x":[[[[1]]]]},"","",""]})", -32602},
        {"not json", "{isto não é json", -32700},
        {"unknown method", call + R"("Nada\n\u0000"})", -32601},
        // A method named "" is read like any other name, and refused as unknown.
        {"method empty", call + R"(""})", -32601},
        {"method empty, params not a list", call + R"("","params":5})", -32602},
    };
    for (const Malformed& m : cases) {
        SCOPED_TRACE(m.what);
        const std::string answer = Ask(m.body);
        ASSERT_EQ(RawClient::Status(answer), 200) << answer.substr(0, 200);
        EXPECT_EQ(ErrorCode(answer), m.code);
        // The answer never repeats what was sent.
        EXPECT_LT(answer.size(), 1000u);
        EXPECT_THAT(answer, Not(HasSubstr("Nada")));
        EXPECT_THAT(answer, Not(HasSubstr("nlohmann")));
    }
    EXPECT_TRUE(Serving());
}

TEST_F(Hostile, ADeepAnswerIsRefusedByTheClientWithoutCrashing) {
    EXPECT_THROW(DecodeVariant(Nested(100000)), EDataPacketError);
    EXPECT_THROW(DecodeVariant(R"({"$packet":)" + Nested(70) + "}"), EDataPacketError);
    // At the limit, the text is read and refused for what it is, not for its depth.
    try {
        DecodeVariant(Nested(kMaxJsonDepth));
        FAIL();
    } catch (const EDataPacketError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("valor desconhecido"));
    }
    try {
        DecodeVariant(Nested(kMaxJsonDepth + 1));
        FAIL();
    } catch (const EDataPacketError& e) {
        EXPECT_THAT(e.Message(), HasSubstr("níveis"));
    }
}

TEST_F(Hostile, SlowClientsHoldNoWorkerAndAreCutOffAtTheirDeadline) {
    // More slow clients than workers, each sending one byte of a head now and then.
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 12; ++i) {
        slow.push_back(std::make_unique<RawClient>(port));
        ASSERT_TRUE(slow.back()->Send("P"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (auto& s : slow) {
        ASSERT_TRUE(s->Send("O"));
    }
    // Everybody else is served while they dawdle...
    EXPECT_TRUE(Serving());
    EXPECT_FALSE(slow.front()->ClosedByServer(0)) << "still within its deadline";
    // ...and the dawdlers are told off once their head takes too long.
    const std::string answer = slow.front()->Read(4000);
    EXPECT_EQ(RawClient::Status(answer), 408);
}

TEST_F(Hostile, IdleConnectionsHoldNoWorker) {
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 200; ++i) {
        idle.push_back(std::make_unique<RawClient>(port));
        ASSERT_TRUE(idle.back()->Connected());
    }
    EXPECT_TRUE(Serving());
    // The idle ones are still open and can still be used.
    RawClient& last = *idle.back();
    last.Send(
        RawClient::Post(R"({"jsonrpc":"2.0","id":5,"method":"GetSysDate","params":[]})", token));
    EXPECT_THAT(last.Read(5000), HasSubstr(R"("id":5)"));
}

TEST_F(Hostile, ALargeBodyIsRefusedBeforeItIsRead) {
    // Without the token: refused on the head alone, the body never sent.
    RawClient stranger(port);
    stranger.Send("POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nContent-Length: 900000000\r\n"
                  "\r\n");
    EXPECT_EQ(RawClient::Status(stranger.Read(3000)), 401);
    // With it, but too large: refused on the head too.
    RawClient big(port);
    big.Send("POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nAuthorization: Bearer " + token +
             "\r\nContent-Length: 900000000\r\nExpect: 100-continue\r\n\r\n");
    EXPECT_EQ(RawClient::Status(big.Read(3000)), 413);
    // A head that never ends is cut at its limit.
    RawClient endless(port);
    endless.Send("GET /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nX: " + std::string(40000, 'a'));
    EXPECT_EQ(RawClient::Status(endless.Read(3000)), 431);
    EXPECT_TRUE(Serving());
}

const std::string kSysDate = R"({"jsonrpc":"2.0","id":1,"method":"GetSysDate","params":[]})";

std::string Chunked(const std::string& body) {
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", body.size());
    return size + body + "\r\n";
}

TEST_F(Hostile, HttpRefusalsByShape) {
    struct Case {
        const char* what;
        std::string request;
        int status;
    };
    const std::string auth = "Authorization: Bearer " + token + "\r\n";
    const std::vector<Case> cases = {
        {"not http", "HELLO\r\n\r\n", 400},
        {"other path", "GET /outro HTTP/1.1\r\n\r\n", 404},
        {"other method", "DELETE /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\n" + auth + "\r\n",
         405},
        {"no length", "POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\n" + auth + "\r\n", 411},
        {"two lengths",
         "POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: "
         "2\r\n\r\n",
         400},
        {"wrong token",
         "GET /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nAuthorization: Bearer segredx\r\n\r\n",
         401},
        {"handshake", "GET /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\n" + auth + "\r\n", 200},
        // A chunked body is never run, also when a length comes with it: the shape that
        // makes a proxy and the server read two different requests.
        {"chunked",
         "POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\n" + auth +
             "Transfer-Encoding: chunked\r\n\r\n" + Chunked(kSysDate) + "0\r\n\r\n",
         411},
        {"chunked with a length",
         "POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\n" + auth + "Content-Length: " +
             std::to_string(kSysDate.size()) + "\r\nTransfer-Encoding: chunked\r\n\r\n" + kSysDate,
         411},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient raw(port);
        raw.Send(c.request);
        EXPECT_EQ(RawClient::Status(raw.Read(3000)), c.status);
        // A refusal ends the connection at once; what the client still sends is dropped.
        EXPECT_EQ(raw.ClosedByServer(1000), c.status != 200);
    }
}

// How many calls of `method` ended with `outcome`, as the server's figures have them.
long Calls(const std::string& method, const std::string& outcome) {
    const std::string text = oca::server::Metrics().Text();
    const std::string key =
        "oca_calls_total{method=\"" + method + "\",outcome=\"" + outcome + "\"} ";
    const size_t at = text.find(key);
    return at == std::string::npos ? 0 : std::stol(text.substr(at + key.size()));
}

// A wrong password is answered a second later: time enough to hang up while the call runs.
// The call is stopped as its client is gone, not answered to nobody.
TEST_F(Hostile, AClientThatHangsUpWhileItsCallRunsStopsTheCall) {
    const long stopped = Calls("Entrar", "erro");
    const long refused = Calls("Entrar", "recusado");
    {
        RawClient raw(port);
        ASSERT_TRUE(raw.Send(RawClient::Post(
            R"({"jsonrpc":"2.0","id":1,"method":"Entrar","params":["001","errada","0001",30]})",
            token)));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Calls("Entrar", "erro") == stopped && Calls("Entrar", "recusado") == refused &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(Calls("Entrar", "erro"), stopped + 1);
    EXPECT_EQ(Calls("Entrar", "recusado"), refused);
    EXPECT_TRUE(Serving());
}

// curl asks before it sends a large body: it is told to go on, while the head's checks
// hold the body back, and then answered on the same connection.
TEST_F(Hostile, AClientThatAsksBeforeItsBodyIsToldToGoOnAndAnswered) {
    const std::string call = R"({"jsonrpc":"2.0","id":4,"method":"GetSysDate","params":[]})";
    std::string request = RawClient::Post(call, token);
    request.insert(request.find("\r\n") + 2, "Expect: 100-continue\r\n");
    const size_t headEnd = request.find("\r\n\r\n") + 4;
    RawClient raw(port);
    ASSERT_TRUE(raw.Send(request.substr(0, headEnd)));
    EXPECT_EQ(raw.ReadSome(3000), "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_TRUE(raw.Send(request.substr(headEnd)));
    const std::string answer = raw.Read(3000);
    ASSERT_EQ(RawClient::Status(answer), 200) << answer;
    EXPECT_EQ(nlohmann::json::parse(RawClient::Body(answer))["id"], 4);
}

// A client that closes its sending side before its answer begins cannot be told from one
// that hung up: its connection is let go at once, its call not run (or stopped), and any
// answer that did go out first is whole. A refusal on the head still goes out.
TEST_F(Hostile, AClientThatStopsSendingBeforeItsAnswerIsLetGo) {
    const std::string call = R"({"jsonrpc":"2.0","id":9,"method":"GetSysDate","params":[]})";
    for (int round = 0; round < 20; ++round) {
        RawClient done(port);
        ASSERT_TRUE(done.Send(RawClient::Post(call, token)));
        done.StopSending();
        const std::string answer = done.Read(3000);
        if (!answer.empty()) {
            ASSERT_EQ(RawClient::Status(answer), 200) << answer;
            EXPECT_EQ(nlohmann::json::parse(RawClient::Body(answer))["id"], 9);
        }
        EXPECT_TRUE(done.ClosedByServer(1000)) << "round " << round;
    }

    RawClient refused(port);
    ASSERT_TRUE(refused.Send("GET /outro HTTP/1.1\r\n\r\n"));
    refused.StopSending();
    EXPECT_EQ(RawClient::Status(refused.Read(3000)), 404);

    RawClient cut(port);
    ASSERT_TRUE(cut.Send("POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nContent-Le"));
    cut.StopSending();
    EXPECT_TRUE(cut.ClosedByServer(1000));
    EXPECT_EQ(cut.Read(100), "");
    EXPECT_TRUE(Serving());
}

TEST_F(Hostile, ALongKeyListIsRefusedQuicklyWithItsLimit) {
    std::string branches = "|";
    for (int i = 0; i < 200000; ++i) {
        branches += std::to_string(i) + "|";
    }
    std::vector<Variant> args = {Variant(branches), Variant(""),  Variant(""), Variant("T"),
                                 Variant(""),       Variant("T"), Variant(),   Variant(),
                                 Variant(""),       Variant("T"), Variant(""), Variant(""),
                                 Variant("")};
    try {
        net.Call("GetMovOcorr", args);
        FAIL() << "a list past the limit must be refused";
    } catch (const Exception& e) {
        EXPECT_THAT(e.Message(), HasSubstr("no máximo 10000 chaves"));
    }
    EXPECT_TRUE(Serving());
}

TEST_F(Hostile, PipelinedRequestsAreAnsweredInOrder) {
    RawClient raw(port);
    std::string two;
    for (int id : {1, 2}) {
        two += RawClient::Post(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) +
                                   R"(,"method":"GetSysDate","params":[]})",
                               token);
    }
    raw.Send(two);
    std::string both = raw.Read(3000);
    if (both.find(R"("id":2)") == std::string::npos) {
        both += raw.Read(3000);
    }
    const size_t first = both.find(R"("id":1)");
    const size_t second = both.find(R"("id":2)");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
}

// Bodies held by the server (read in part, or waiting for a worker) are bounded all
// together: one client cannot fill the memory with many large, slow requests.
class HostileBodies : public Hostile {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        Hostile::Adjust(options);
        options.maxBodiesHeld = 1 << 20;
    }
    std::string Head(size_t length) {
        return "POST /rpc/OCA0080A.rdmOcorAtendimento HTTP/1.1\r\nAuthorization: Bearer " + token +
               "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
    }
};

TEST_F(HostileBodies, RequestsPastWhatTheServerHoldsAreTurnedAwayUntilItIsFreed) {
    RawClient first(port);
    ASSERT_TRUE(first.Send(Head(900 << 10) + "[")); // holds 900 KB, sends one byte
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    RawClient second(port);
    second.Send(Head(200 << 10));
    EXPECT_EQ(RawClient::Status(second.Read(3000)), 503) << "refused on its head alone";
    EXPECT_TRUE(Serving()) << "small calls still fit";
    // The first is cut at its deadline; what it held is free again.
    EXPECT_EQ(RawClient::Status(first.Read(4000)), 408);
    RawClient third(port);
    third.Send(Head(200 << 10) + std::string(200 << 10, ' '));
    EXPECT_EQ(RawClient::Status(third.Read(3000)), 200);
    // An answered request frees what it held, on a connection kept alive too.
    RawClient kept(port);
    for (int i = 0; i < 6; ++i) {
        kept.Send(Head(300 << 10) + std::string(300 << 10, ' '));
        EXPECT_EQ(RawClient::Status(kept.Read(3000)), 200) << "request " << i;
    }
}

// Past the connections the server holds, the least recently active idle one makes room.
class HostileFull : public Hostile {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        Hostile::Adjust(options);
        options.maxConnections = 4;
    }
};

TEST_F(HostileFull, TheLeastRecentlyActiveIdleConnectionMakesRoom) {
    std::vector<std::unique_ptr<RawClient>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(std::make_unique<RawClient>(port));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(held[0]->Send("P")); // the oldest becomes the most recently active
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    RawClient newcomer(port);
    EXPECT_TRUE(held[1]->ClosedByServer(2000)) << "the least recently active goes";
    EXPECT_FALSE(held[0]->ClosedByServer(200));
    EXPECT_FALSE(held[2]->ClosedByServer(0));
    ASSERT_TRUE(newcomer.Send(
        RawClient::Post(R"({"jsonrpc":"2.0","id":7,"method":"GetSysDate","params":[]})", token)));
    EXPECT_THAT(newcomer.Read(3000), HasSubstr(R"("id":7)"));
}

TEST_F(HostileFull, AConnectionBusyWithARequestNeverMakesRoom) {
    const std::string request =
        RawClient::Post(R"({"jsonrpc":"2.0","id":3,"method":"GetSysDate","params":[]})", token);
    std::vector<std::unique_ptr<RawClient>> held;
    held.push_back(std::make_unique<RawClient>(port));
    // The least recently active, and halfway through its body.
    ASSERT_TRUE(held[0]->Send(request.substr(0, request.size() - 5)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 1; i < 4; ++i) {
        held.push_back(std::make_unique<RawClient>(port));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    RawClient newcomer(port);
    EXPECT_TRUE(held[1]->ClosedByServer(2000)) << "the least recently active idle one goes";
    ASSERT_TRUE(held[0]->Send(request.substr(request.size() - 5)));
    EXPECT_THAT(held[0]->Read(3000), HasSubstr(R"("id":3)"));
}

// More clients than the process may hold descriptors for: the longest idle ones make room,
// and a real call is still taken off the queue and answered.
TEST(Crowded, ClientsPastTheDescriptorLimitLeaveTheServerAnswering) {
    TestDatabase database(CurrentTestName());
    {
        auto db = oca::db::Database::Open(database.Url());
        SeedCompany(*db);
    }
    const int port = FreePort();
    ServerProcess server(database.Url(), port, 128);
    ASSERT_TRUE(server.WaitUp());
    RawClient::session = server.SignIn();
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 300; ++i) {
        idle.push_back(std::make_unique<RawClient>(port));
        ASSERT_TRUE(idle.back()->Connected());
    }
    // Writes too: the database still has the descriptors it needs.
    for (int round = 0; round < 3; ++round) {
        RawClient real(port);
        const std::string call = oca::server::MakeRpcRequest(
            9, "Confirma",
            {MakePacketVariant(NewOccurrence("cheio" + std::to_string(round))), Variant(),
             Variant(), Variant("")});
        ASSERT_TRUE(real.Send(RawClient::Post(call, "t")));
        const std::string answer = real.Read(5000);
        ASSERT_EQ(RawClient::Status(answer), 200) << "round " << round;
        EXPECT_THAT(answer, HasSubstr(R"("result":"0)")) << answer.substr(0, 400);
    }
    const std::string call = R"({"jsonrpc":"2.0","id":9,"method":"GetSysDate","params":[]})";
    EXPECT_TRUE(idle.front()->ClosedByServer(2000)) << "the longest idle made room";
    RawClient& recent = *idle.back();
    ASSERT_TRUE(recent.Send(RawClient::Post(call, "t")));
    EXPECT_EQ(RawClient::Status(recent.Read(5000)), 200);
    RawClient::session.clear();
}

} // namespace

namespace {

// A server gone after the handshake: the failure is told in the person's language, never
// in the HTTP library's own English words.
TEST(ClientChecks, AServerGoneIsToldInPortuguese) {
    auto fake = std::make_unique<httplib::Server>();
    fake->set_keep_alive_max_count(1); // each request on a connection of its own
    fake->Get(oca::server::HttpFront::kPath, [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"object":"OCA0080A.rdmOcorAtendimento","wire":1})", "application/json");
    });
    const int port = fake->bind_to_any_port("127.0.0.1");
    std::thread serving([&] { fake->listen_after_bind(); });
    while (!fake->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    TNetConnection net;
    net.SetServerName("OCA0080A.rdmOcorAtendimento");
    net.SetPort(port);
    net.SetConnected(true);
    fake->stop();
    serving.join();
    fake.reset();
    try {
        net.Call("GetSysDate");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_THAT(e.Message(), HasSubstr("Não foi possível comunicar"));
        EXPECT_THAT(e.Message(), ::testing::Not(HasSubstr("Connection")));
        EXPECT_THAT(e.Message(), HasSubstr("a conexão não pôde ser estabelecida"));
    }
}

// A server that answers whatever the test says: the desktop's connection must not trust it.
TEST(ClientChecks, AnAnswerThatIsNotThisCallsOrTooDeepOrTooLargeFailsTheCall) {
    httplib::Server fake;
    std::string reply;
    fake.Get(oca::server::HttpFront::kPath, [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"object":"OCA0080A.rdmOcorAtendimento","wire":1})", "application/json");
    });
    fake.Post(oca::server::HttpFront::kPath, [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(reply, "application/json");
    });
    const int port = fake.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { fake.listen_after_bind(); });
    while (!fake.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    TNetConnection net;
    net.SetServerName("OCA0080A.rdmOcorAtendimento");
    net.SetPort(port);
    net.SetMaxReplyBytes(4096);
    const struct {
        std::string reply;
        const char* says;
    } cases[] = {
        // The first call's id is 1.
        {R"({"jsonrpc":"2.0","id":1,"error":{"message":{"a":1}}})", "erro desconhecido"},
        {R"({"jsonrpc":"2.0","id":999,"result":1})", "não é a desta chamada"},
        {R"({"jsonrpc":"2.0","result":1})", "não é a desta chamada"},
        {R"({"jsonrpc":"2.0","id":1,"result":)" + std::string(3000, '[') + "}", "níveis"},
        {R"({"jsonrpc":"2.0","id":1,"result":")" + std::string(5000, 'x') + "\"}",
         "resposta maior que 4096 bytes"},
    };
    for (const auto& c : cases) {
        reply = c.reply;
        try {
            net.Call("GetSysDate");
            ADD_FAILURE() << "accepted: " << c.says;
        } catch (const Exception& e) {
            EXPECT_THAT(e.Message(), HasSubstr(c.says));
        }
    }
    fake.stop();
    serving.join();
}

} // namespace
