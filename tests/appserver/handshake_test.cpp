// Opening a connection: the handshake that checks the object and the wire version, and
// how its failure reaches the person.
#include "server_fixture.h"

#include "core/exceptions.h"
#include "framework/script/scripted_ui_driver.h"

#include <gmock/gmock.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <mutex>
#include <set>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

/// Journals the connection's calls and installs a scripted driver for the test's life.
struct Watch {
    Watch() {
        SetUi(&ui);
        TNetConnection::CallObserver = [this](const std::string& m) {
            calls.push_back(m);
        };
    }
    ~Watch() {
        TNetConnection::CallObserver = nullptr;
        SetUi(nullptr);
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> out;
        for (const std::string& line : ui.Journal()) {
            if (line.rfind("error: ", 0) == 0) {
                out.push_back(line.substr(7));
            }
        }
        return out;
    }
    ScriptedUiDriver ui;
    std::vector<std::string> calls;
};

TEST_F(ServerTest, TheHandshakeRunsNoMethodOfTheObject) {
    Watch watch;
    net.SetConnected(true);
    EXPECT_TRUE(net.Connected());
    EXPECT_THAT(watch.calls, IsEmpty());
    EXPECT_THAT(watch.ui.Journal(), IsEmpty());
    net.Call("GetSysDate");
    EXPECT_THAT(watch.calls, ElementsAre("GetSysDate"));
}

TEST(Handshake, NoServerIsReportedOnceByTheComponentNamingHostPortAndObject) {
    Watch watch;
    TNetConnection nowhere;
    nowhere.SetServerName("OCA0080A.rdmOcorAtendimento");
    nowhere.SetThrowException(false);
    bool before = false;
    nowhere.BeforeConnect = [&](TObject*) {
        before = true;
        nowhere.SetHost("127.0.0.1");
        nowhere.SetPort(1); // nothing listens there
    };
    nowhere.SetConnected(true);
    EXPECT_TRUE(before);
    EXPECT_FALSE(nowhere.Connected());
    ASSERT_EQ(watch.Errors().size(), 1u);
    EXPECT_THAT(watch.Errors()[0], HasSubstr("127.0.0.1:1"));
    EXPECT_THAT(watch.Errors()[0], HasSubstr("OCA0080A.rdmOcorAtendimento"));
    // The screen's next calls try again, fail silently and add no second message.
    EXPECT_THROW(nowhere.Call("GetSysDate"), EAbort);
    EXPECT_THROW(nowhere.Call("GetMovOcorr"), EAbort);
    EXPECT_EQ(watch.Errors().size(), 1u);
}

TEST(Handshake, AComponentSetToRaiseRaisesTheSameText) {
    Watch watch;
    TNetConnection nowhere;
    nowhere.SetServerName("OCA0080A.rdmOcorAtendimento");
    nowhere.SetPort(1);
    try {
        nowhere.Call("GetSysDate");
        FAIL();
    } catch (const EAbort&) {
        FAIL() << "a raising component must not abort silently";
    } catch (const Exception& e) {
        EXPECT_THAT(e.Message(), HasSubstr("127.0.0.1:1"));
    }
    EXPECT_THAT(watch.Errors(), IsEmpty());
}

/// A server on loopback that answers whatever the test says, started once its handlers are
/// set and stopped when it goes.
struct FakeServer {
    FakeServer() = default;
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;
    ~FakeServer() {
        http.stop();
        if (serving.joinable()) {
            serving.join();
        }
    }
    /// Answers the handshake as this project's server would.
    void ShakeHands() {
        http.Get(oca::server::HttpFront::kPath,
                 [](const httplib::Request&, httplib::Response& res) {
                     res.set_content(R"({"object":"OCA0080A.rdmOcorAtendimento","wire":1})",
                                     "application/json");
                 });
    }
    void Start(TNetConnection& client) {
        port = http.bind_to_any_port("127.0.0.1");
        serving = std::thread([this] { http.listen_after_bind(); });
        while (!http.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        client.SetServerName("OCA0080A.rdmOcorAtendimento");
        client.SetPort(port);
    }
    httplib::Server http;
    std::thread serving;
    int port = 0;
};

// A server on the port that is not ours, or not of our wire version.
TEST(Handshake, AnotherObjectOrWireVersionIsRefused) {
    struct Case {
        const char* answer;
        int status;
        const char* reason;
    };
    const Case cases[] = {
        {R"({"object":"OCA0080A.rdmOcorAtendimento","wire":2})", 200, "versão de protocolo"},
        {R"({"object":"OUTRO.rdmOutro","wire":1})", 200, "não oferece este objeto"},
        {R"(não é json)", 200, "não oferece este objeto"},
        {R"({})", 404, "não oferece este objeto"},
        {R"({})", 500, "HTTP 500"},
        {R"({})", 503, "servidor ocupado"},
        {R"({})", 401, "acesso não autorizado"},
    };
    for (const Case& c : cases) {
        FakeServer other;
        other.http.Get(oca::server::HttpFront::kPath,
                       [&](const httplib::Request&, httplib::Response& res) {
                           res.status = c.status;
                           res.set_content(c.answer, "application/json");
                       });
        TNetConnection net;
        other.Start(net);
        try {
            net.SetConnected(true);
            ADD_FAILURE() << c.answer;
        } catch (const Exception& e) {
            EXPECT_THAT(e.Message(), HasSubstr(c.reason)) << c.answer;
            EXPECT_THAT(e.Message(), HasSubstr(std::to_string(other.port))) << c.answer;
        }
        EXPECT_FALSE(net.Connected());
        net.SetConnected(false);
    }
}

// A call the server turns away says why in words a person can act on.
TEST(Handshake, ACallTurnedAwaySaysWhy) {
    struct Case {
        int status;
        const char* reason;
    };
    for (const Case c :
         {Case{503, "servidor ocupado; tente de novo"}, Case{401, "acesso não autorizado"},
          Case{413, "grande demais"}, Case{502, "HTTP 502"}}) {
        FakeServer other;
        other.ShakeHands();
        other.http.Post(oca::server::HttpFront::kPath,
                        [&](const httplib::Request&, httplib::Response& res) {
                            res.status = c.status;
                            res.set_content("{}", "application/json");
                        });
        TNetConnection net;
        other.Start(net);
        try {
            net.Call("GetSysDate");
            ADD_FAILURE() << c.status;
        } catch (const Exception& e) {
            EXPECT_THAT(e.Message(), HasSubstr(c.reason)) << c.status;
            EXPECT_THAT(e.Message(), HasSubstr("GetSysDate")) << c.status;
        }
        net.SetConnected(false);
    }
}

// Behind a load balancer, a server that went away with a write makes the balancer answer
// 502 (or 504): the outcome is unknown, so the write goes once more with its key, and
// answered there it succeeds; lost twice, a later confirmation still keeps the key.
TEST(Handshake, AGatewaysLostAnswerSendsTheWriteAgainWithItsKey) {
    for (const int lostTimes : {1, 5}) {
        SCOPED_TRACE(lostTimes);
        FakeServer balancer;
        std::atomic<int> posts{0};
        std::vector<std::string> keys;
        std::mutex mutex;
        balancer.ShakeHands();
        balancer.http.Post(oca::server::HttpFront::kPath, [&](const httplib::Request& req,
                                                              httplib::Response& res) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                keys.push_back(req.get_header_value("Idempotency-Key"));
            }
            if (++posts <= lostTimes) {
                res.status = posts == 1 ? 502 : 504;
                res.set_content("bad gateway", "text/plain");
                return;
            }
            const auto id = nlohmann::json::parse(req.body).at("id");
            res.set_content(
                nlohmann::json{{"jsonrpc", "2.0"}, {"id", id}, {"result", "0000000009"}}.dump(),
                "application/json");
        });
        TNetConnection net;
        balancer.Start(net);
        if (lostTimes == 1) {
            EXPECT_EQ(net.Call("Confirma", {Variant("x")}).AsString(), "0000000009");
        } else {
            EXPECT_THROW(net.Call("Confirma", {Variant("x")}), Exception);
            EXPECT_EQ(net.Call("Confirma", {Variant("x")}).AsString(), "0000000009");
        }
        const std::lock_guard<std::mutex> lock(mutex);
        ASSERT_EQ(keys.size(), static_cast<size_t>(lostTimes + 1));
        for (const std::string& key : keys) {
            EXPECT_EQ(key, keys[0]) << "one write, one key";
        }
        net.SetConnected(false);
    }
}

// A busy server turns a call away before running it: the call is tried again after a
// pause or two, with the same key, and fails only when the server stays busy.
TEST(Handshake, ABusyServerIsTriedAgainBeforeTheCallFails) {
    for (const int busy : {2, 3}) {
        FakeServer other;
        std::atomic<int> posts{0};
        std::set<std::string> keys;
        std::mutex mutex;
        other.ShakeHands();
        other.http.Post(oca::server::HttpFront::kPath, [&](const httplib::Request& req,
                                                           httplib::Response& res) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                keys.insert(req.get_header_value("Idempotency-Key"));
            }
            if (++posts <= busy) {
                res.status = 503;
                res.set_content("{}", "application/json");
                return;
            }
            const auto id = nlohmann::json::parse(req.body).at("id");
            res.set_content(
                nlohmann::json{{"jsonrpc", "2.0"}, {"id", id}, {"result", "pronto"}}.dump(),
                "application/json");
        });
        TNetConnection net;
        other.Start(net);
        if (busy == 2) {
            EXPECT_EQ(net.Call("GetSysDate").AsString(), "pronto");
            EXPECT_EQ(posts.load(), 3);
        } else {
            try {
                net.Call("GetSysDate");
                ADD_FAILURE() << "a server busy every time answered";
            } catch (const Exception& e) {
                EXPECT_THAT(e.Message(), HasSubstr("servidor ocupado"));
            }
        }
        EXPECT_EQ(keys.size(), 1u) << "one key for all the tries";
        net.SetConnected(false);
    }
}

} // namespace

namespace {

// A server that takes a call and says nothing: the call fails once the wait passes, in
// words that say so, and is not sent a second time to wait as long again. A write's text
// says its outcome is unknown and how to find it out.
TEST(Handshake, ASilentServerFailsTheCallOnceItsWaitPasses) {
    std::atomic<int> received{0};
    FakeServer silent;
    silent.ShakeHands();
    silent.http.Post(oca::server::HttpFront::kPath,
                     [&](const httplib::Request&, httplib::Response& res) {
                         ++received;
                         std::this_thread::sleep_for(std::chrono::milliseconds(2500));
                         res.set_content("{}", "application/json");
                     });
    TNetConnection net;
    silent.Start(net);
    net.SetTimeoutSeconds(1);
    const struct {
        const char* method;
        bool write;
    } cases[] = {{"GetSysDate", false}, {"Confirma", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        received = 0;
        try {
            net.Call(c.method, {});
            ADD_FAILURE() << "answered";
        } catch (const Exception& e) {
            EXPECT_THAT(e.Message(),
                        HasSubstr(std::string("não respondeu à chamada ") + c.method + " em 1 s."));
            EXPECT_EQ(e.Message().find("use Verificar") != std::string::npos, c.write);
        }
        EXPECT_EQ(received.load(), 1) << "sent once";
    }
}

} // namespace

namespace {

// A write whose answer never came, confirmed again as it was (the reads of the checks
// before post in between), goes with the same key: if the first was stored after all, the
// server answers it instead of storing it twice. A changed write is another write.
TEST(Handshake, AWriteConfirmedAgainAfterItsAnswerWasLostKeepsItsKey) {
    for (const std::string write : {"Confirma", "GravaTratamento", "GravaParteAnexo"}) {
        SCOPED_TRACE(write);
        std::vector<std::string> keys;
        std::mutex mutex;
        FakeServer flaky;
        flaky.ShakeHands();
        flaky.http.Post(oca::server::HttpFront::kPath, [&](const httplib::Request& req,
                                                           httplib::Response& res) {
            const auto request = nlohmann::json::parse(req.body);
            bool first = false;
            if (request.at("method") == write) {
                const std::lock_guard<std::mutex> lock(mutex);
                keys.push_back(req.get_header_value("Idempotency-Key"));
                first = keys.size() == 1;
            }
            if (first) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1800)); // past the wait
            }
            res.set_content(nlohmann::json{{"jsonrpc", "2.0"},
                                           {"id", request.at("id")},
                                           {"result", "0000000005"}}
                                .dump(),
                            "application/json");
        });
        TNetConnection net;
        flaky.Start(net);
        net.SetTimeoutSeconds(1);
        EXPECT_THROW(net.Call(write, {Variant("mesma")}), Exception);
        net.Call("GetLote", {Variant("0001")}); // a check before post, in between
        EXPECT_EQ(net.Call(write, {Variant("mesma")}).AsString(), "0000000005");
        net.Call(write, {Variant("outra")});
        const std::lock_guard<std::mutex> lock(mutex);
        ASSERT_EQ(keys.size(), 3u);
        EXPECT_EQ(keys[1], keys[0]) << "the same write, the same key";
        EXPECT_NE(keys[2], keys[1]) << "another write, another key";
    }
}

} // namespace
