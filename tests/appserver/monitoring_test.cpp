// What a load balancer and the monitoring read of a running server: alive, ready while
// its database answers and it is not stopping, and its figures by method and outcome.
#include "confirm_fixture.h"

#include "appserver/metrics.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <sstream>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class Monitoring : public Confirm {
protected:
    std::string Get(const std::string& path, bool withToken) {
        RawClient raw(port);
        raw.Send("GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" +
                 (withToken ? "Authorization: Bearer " + token + "\r\n" : std::string()) + "\r\n");
        return raw.Read(3000);
    }
    /// The value of one series of the figures ("" when absent).
    static std::string Series(const std::string& text, const std::string& series) {
        const size_t at = text.find("\n" + series + " ");
        if (at == std::string::npos) {
            return "";
        }
        const size_t start = at + series.size() + 2;
        return text.substr(start, text.find('\n', start) - start);
    }
};

TEST_F(Monitoring, AliveAndReadyNeedNoTokenAndTheFiguresDo) {
    const std::string alive = Get("/health", false);
    EXPECT_EQ(RawClient::Status(alive), 200);
    EXPECT_EQ(RawClient::Body(alive), "vivo\n");
    const std::string ready = Get("/ready", false);
    EXPECT_EQ(RawClient::Status(ready), 200);
    EXPECT_EQ(RawClient::Body(ready), "pronto\n");
    EXPECT_EQ(RawClient::Status(Get("/metrics", false)), 401);
    EXPECT_EQ(RawClient::Status(Get("/metricsx", true)), 404);
    const std::string figures = Get("/metrics", true);
    EXPECT_EQ(RawClient::Status(figures), 200);
    EXPECT_THAT(figures, HasSubstr("Content-Type: text/plain; version=0.0.4"));
    // Nothing of the object was run by these.
    EXPECT_THAT(RawClient::Body(figures), Not(HasSubstr("method=\"GetMovOcorr\"")));
}

TEST_F(Monitoring, CallsAreCountedByMethodAndOutcomeWithTheirTimes) {
    const auto count = [&](const std::string& series) {
        const std::string value = Series(RawClient::Body(Get("/metrics", true)), series);
        return value.empty() ? 0L : std::stol(value);
    };
    const std::string ok = "oca_calls_total{method=\"GetSysDate\",outcome=\"ok\"}";
    const std::string refused = "oca_calls_total{method=\"Confirma\",outcome=\"recusado\"}";
    const std::string unknown = "oca_calls_total{method=\"desconhecido\",outcome=\"erro\"}";
    const long okBefore = count(ok), refusedBefore = count(refused), unknownBefore = count(unknown);
    for (int i = 0; i < 3; ++i) {
        net.Call("GetSysDate");
    }
    TClientDataSet cds;
    Load(cds);
    cds.Edit();
    cds.FieldByName("CDFILIAL").SetAsString("9999"); // a branch that does not exist
    cds.Post();
    EXPECT_THAT(Send(&cds, nullptr, nullptr), Not(testing::IsEmpty()));
    EXPECT_THROW(net.Call("NaoExiste_" + std::to_string(::getpid())), Exception);

    const std::string text = RawClient::Body(Get("/metrics", true));
    EXPECT_EQ(count(ok), okBefore + 3);
    EXPECT_EQ(count(refused), refusedBefore + 1);
    EXPECT_EQ(count(unknown), unknownBefore + 1) << "an invented method makes no series";
    EXPECT_THAT(text, Not(HasSubstr("NaoExiste_")));
    const long bucketAll = std::stol(
        Series(text, "oca_call_duration_seconds_bucket{method=\"GetSysDate\",le=\"+Inf\"}"));
    EXPECT_EQ(bucketAll,
              std::stol(Series(text, "oca_call_duration_seconds_count{method=\"GetSysDate\"}")));
    // Every call lies in a finite bucket: the last one holds them all, and each bucket at
    // least what the one before holds.
    long previous = 0;
    for (const char* le : {"0.001", "0.01", "0.1", "1", "120"}) {
        const long within = std::stol(Series(
            text, std::string("oca_call_duration_seconds_bucket{method=\"GetSysDate\",le=\"") + le +
                      "\"}"));
        EXPECT_GE(within, previous) << le;
        previous = within;
    }
    EXPECT_EQ(previous, bucketAll);
    EXPECT_GE(std::stol(Series(text, "oca_open_connections")), 1);
}

TEST_F(Monitoring, AStopIsCountedAsADrainOnce) {
    oca::server::ServerMetrics& m = oca::server::Metrics();
    const auto drains = m.drains.load();
    front->Stop();
    front->Stop();
    EXPECT_EQ(m.drains.load(), drains + 1);
}

class JsonLog : public Confirm {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        options.log = true;
        options.logJson = true;
    }
};

TEST_F(JsonLog, EachCallIsOneJsonLineWithItsOperatorAndOutcome) {
    std::ostringstream captured;
    std::streambuf* const before = std::cerr.rdbuf(captured.rdbuf());
    net.Call("GetSysDate");
    EXPECT_THROW(net.Call("GetSysDate", {Variant("a\nb")}), Exception);
    std::cerr.rdbuf(before);
    std::vector<nlohmann::json> lines;
    std::istringstream in(captured.str());
    for (std::string line; std::getline(in, line);) {
        lines.push_back(nlohmann::json::parse(line)); // every line whole JSON
    }
    ASSERT_GE(lines.size(), 2u);
    const nlohmann::json& ok = lines[lines.size() - 2];
    const nlohmann::json& refused = lines.back();
    EXPECT_EQ(ok["method"], "GetSysDate");
    EXPECT_EQ(ok["operator"], "001");
    EXPECT_EQ(ok["outcome"], "ok");
    EXPECT_TRUE(ok["duration_ms"].is_number());
    EXPECT_EQ(ok["time"].get<std::string>().size(), 23u);
    EXPECT_EQ(refused["outcome"], "erro");
}

} // namespace
