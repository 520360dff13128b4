#include "server_fixture.h"

#include "appserver/jsonrpc.h"
#include "appserver/qualification.h"
#include "core/packet_json.h"
#include "database/demo_data.h"

#include <gmock/gmock.h>
#include <httplib.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::vector<std::string> Column(const Variant& packet, const char* field) {
    std::vector<std::string> out;
    const DataPacket& p = packet.AsPacket();
    for (const Row& row : p.rows) {
        out.push_back(row[static_cast<size_t>(p.FieldIndex(field))].AsString());
    }
    return out;
}

TEST_F(ServerTest, LookupMethodsAnswerWhatTheScreensRead) {
    const Variant now = net.Call("GetSysDate");
    ASSERT_EQ(now.AsPacket().rows.size(), 1u);
    EXPECT_EQ(now.AsPacket().fields[0].type, FieldType::DateTime);

    EXPECT_THAT(Column(net.Call("GetParamFilial", {Variant("|0002|"), Variant("")}), "CDFILIAL"),
                ElementsAre("0002"));
    EXPECT_THAT(Column(net.Call("GetParamFilial", {Variant("0001"), Variant("")}), "IDAPURAUTQFO"),
                ElementsAre("S"))
        << "a plain branch code is one key";
    EXPECT_EQ(net.Call("GetParamFilial", {Variant(""), Variant("T")}).AsPacket().rows.size(), 2u);

    EXPECT_EQ(net.Call("ValidNF", {Variant("1"), Variant("0001234"), Variant("000001")}),
              Variant("TRUE"));
    EXPECT_EQ(net.Call("ValidNF", {Variant("1"), Variant("0009999"), Variant("000001")}),
              Variant("FALSE"));
    EXPECT_EQ(net.Call("ValidNF", {Variant("1"), Variant("0001234"), Variant("123")}),
              Variant("FALSE"));

    EXPECT_THAT(
        Column(net.Call("GetNotaFiscal", {Variant("F000001"), Variant("0001"), Variant("1")}),
               "NRNOTAFISC"),
        ElementsAre("0001234", "0001235"));
    EXPECT_TRUE(net.Call("GetNotaFiscal", {Variant("C000001"), Variant("0001"), Variant("1")})
                    .AsPacket()
                    .rows.empty())
        << "customers have no invoices";
    EXPECT_THAT(Column(net.Call("GetPesqNF", {Variant(""), Variant("1"), Variant("0001234"),
                                              Variant("F000001"), Variant("0002")}),
                       "NRLANCTONF"),
                ElementsAre("0000000003"))
        << "the entry received at the occurrence's branch first";

    EXPECT_THAT(Column(net.Call("GetLote",
                                {Variant("0001"), Variant("0000000001"), Variant(""), Variant("")}),
                       "LOTE"),
                ElementsAre("L1/0001", "L1/0002", "L2/0001"));
    EXPECT_THAT(Column(net.Call("GetLote", {Variant("0001"), Variant("0000000001"), Variant("L1"),
                                            Variant("0002")}),
                       "IDUTILLOTE"),
                ElementsAre("S"));
    EXPECT_TRUE(net.Call("GetLote",
                         {Variant("0001"), Variant("0000000001"), Variant("L1"), Variant("0009")})
                    .AsPacket()
                    .rows.empty());
    EXPECT_THAT(Column(net.Call("GetLote",
                                {Variant("0001"), Variant("0000000002"), Variant(""), Variant("")}),
                       "IDUTILLOTE"),
                ElementsAre("N"))
        << "a product not handled by batch";

    EXPECT_THAT(
        Column(net.Call("GetDescMovOcorr", {Variant("0001"), Variant("0000000001")}), "DSMOVOCORR"),
        ElementsAre("<p>Descrição um</p>"));
    EXPECT_TRUE(
        net.Call("GetParecer", {Variant("0001"), Variant("0000000002")}).AsPacket().rows.empty());
}

TEST_F(ServerTest, QualificationScoresMonthsAndIsIdempotent) {
    // Supplier 000001 at branch 0001: one occurrence of group 01 (weight 20) in October
    // with two invoices received: 100 - 100 x 20 / 20 = 0 -> "D".
    const std::vector<Variant> args = {Variant("0001"),
                                       Variant("001"),
                                       Variant(""),
                                       Variant(""),
                                       Variant("0001"),
                                       Variant("000001"),
                                       Variant(EncodeDate(2026, 10, 10)),
                                       Variant(EncodeDate(2026, 10, 10))};
    for (int run = 0; run < 2; ++run) {
        EXPECT_FALSE(net.Call("SetApuraQualif", args).IsError());
    }
    auto db = oca::db::Database::Open(url);
    auto st = db->Prepare("SELECT NRANOMES, QTOCORR, QTDEMERITO, QTRECEBTO, VRNOTA, IDCLASSIF "
                          "FROM QUALIFFORN ORDER BY NRANOMES");
    std::vector<std::string> rows;
    while (st->Next()) {
        std::string line;
        for (size_t i = 0; i < 6; ++i) {
            line += (i ? " " : "") + st->Value(i).AsString();
        }
        rows.push_back(line);
    }
    EXPECT_THAT(rows, ElementsAre("0 1 20 2 0 D", "202610 1 20 2 0 D"));
    // An empty supplier (a customer's occurrence) is a successful no-op.
    EXPECT_EQ(net.Call("SetApuraQualif", {Variant("0001"), Variant("001"), Variant(""), Variant(""),
                                          Variant("0001"), Variant(""), Variant(), Variant()}),
              Variant(""));
    // Only a sane range, for a branch and a supplier that exist.
    struct Bad {
        const char* branch;
        const char* supplier;
        TDateTime from, to;
        const char* says;
    };
    const std::vector<Bad> bad = {
        {"0001", "000001", EncodeDate(2000, 1, 1), EncodeDate(2026, 1, 1), "até 5 anos"},
        {"0001", "000001", EncodeDate(2026, 2, 1), EncodeDate(2026, 1, 1), "início antes do fim"},
        {"9999", "000001", EncodeDate(2026, 1, 1), EncodeDate(2026, 1, 1), "filial"},
        {"0001", "999999", EncodeDate(2026, 1, 1), EncodeDate(2026, 1, 1), "fornecedor"},
    };
    for (const Bad& b : bad) {
        const Variant answer =
            net.Call("SetApuraQualif",
                     {Variant("0001"), Variant("001"), Variant(""), Variant(""), Variant(b.branch),
                      Variant(b.supplier), Variant(b.from), Variant(b.to)});
        ASSERT_TRUE(answer.IsError()) << b.says;
        EXPECT_THAT(answer.AsString(), ::testing::HasSubstr(b.says));
    }
}

TEST(Qualification, ScoresStandingsAndWeights) {
    using namespace oca::server;
    EXPECT_EQ(MonthlyScore(0, 0), 100);
    EXPECT_EQ(MonthlyScore(10, 0), 0) << "a demerit of 10 with no receipt takes all";
    EXPECT_EQ(MonthlyScore(10, 4), 75);
    EXPECT_EQ(MonthlyScore(500, 1), 0) << "never below zero";
    // Each class starts exactly at its boundary.
    const std::pair<double, const char*> standings[] = {{100, "A"},   {80, "A"},    {79.99, "B"},
                                                        {50, "B"},    {49.99, "C"}, {30, "C"},
                                                        {29.99, "D"}, {0, "D"}};
    for (const auto& [score, standing] : standings) {
        EXPECT_EQ(Standing(score), standing) << score;
    }
    std::vector<MonthScore> months(3);
    months[0] = {202611, 1, 10, 1, 0, "D"};  // this month, weight 12/12
    months[1] = {202610, 0, 0, 4, 100, "A"}; // last month, weight 11/12
    months[2] = {202609, 0, 0, 0, 100, "A"}; // no activity: left out
    EXPECT_NEAR(OverallScore(months, 202611), 100 * (11.0 / 12) / (23.0 / 12), 1e-9);
    EXPECT_EQ(OverallScore({}, 202611), 100);
}

// The twelve-month window: the month of age 11 counts with weight 1/12, the month of age
// 12 (and a month after the reference) not at all. Scores chosen so that nothing clamps.
TEST(Qualification, TheOldestMonthOfTheWindowCountsWithItsWeight) {
    using namespace oca::server;
    const MonthScore now{202611, 1, 5, 1, 50, "B"};    // age 0, weight 12/12
    const MonthScore oldest{202512, 1, 2, 1, 80, "A"}; // age 11, weight 1/12
    const MonthScore tooOld{202511, 1, 9, 1, 10, "D"}; // age 12
    const MonthScore ahead{202612, 1, 9, 1, 10, "D"};  // after the reference
    EXPECT_NEAR(OverallScore({now, oldest}, 202611), (50 * 12.0 + 80 * 1.0) / 13.0, 1e-9);
    EXPECT_NEAR(OverallScore({now, oldest, tooOld, ahead}, 202611), (50 * 12.0 + 80 * 1.0) / 13.0,
                1e-9);
    EXPECT_NEAR(OverallScore({oldest}, 202611), 80, 1e-9);
    EXPECT_EQ(OverallScore({tooOld}, 202611), 100) << "nothing in the window";
}

TEST_F(ServerTest, HostileRequestsAreAnsweredAndTheServerKeepsServing) {
    // A value that is SQL stays a value.
    EXPECT_TRUE(net.Call("GetParamFilial", {Variant("'; DROP TABLE FILIAL; --"), Variant("")})
                    .AsPacket()
                    .rows.empty());
    // Wrong number or kind of arguments.
    EXPECT_THROW(net.Call("GetLote", {Variant("0001")}), Exception);
    EXPECT_THROW(net.Call("GetLote", {Variant(1), Variant(2), Variant(3), Variant(4)}), Exception);
    EXPECT_THROW(net.Call("NaoExiste"), Exception);
    // A body of 10 MB is refused before it is read.
    EXPECT_THROW(
        net.Call("ValidNF", {Variant(std::string(10 << 20, 'x')), Variant(""), Variant("")}),
        Exception);
    // Without the token: refused at the handshake.
    TNetConnection stranger;
    stranger.SetServerName("OCA0080A.rdmOcorAtendimento");
    stranger.SetPort(port);
    try {
        stranger.Call("GetSysDate");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_THAT(e.Message(), HasSubstr("acesso não autorizado"));
    }
    // Raw protocol errors.
    httplib::Client raw("127.0.0.1", port);
    const httplib::Headers auth = {{"Authorization", "Bearer " + token}};
    auto garbage =
        raw.Post(oca::server::HttpFront::kPath, auth, "{isto não é json", "application/json");
    ASSERT_TRUE(garbage);
    EXPECT_THAT(garbage->body, HasSubstr("-32700"));
    auto batch = raw.Post(oca::server::HttpFront::kPath, auth, "[1,2]", "application/json");
    EXPECT_THAT(batch->body, HasSubstr("-32600"));
    auto badPacket = raw.Post(
        oca::server::HttpFront::kPath, auth,
        R"({"jsonrpc":"2.0","id":9,"method":"Confirma","params":[{"$packet":{"rows":[]}},null,null,""]})",
        "application/json");
    EXPECT_THAT(badPacket->body, HasSubstr("-32602"));
    // Still serving.
    EXPECT_EQ(net.Call("GetParamFilial", {Variant(""), Variant("T")}).AsPacket().rows.size(), 2u);
}

TEST(JsonRpc, RepliesCarryTheIdAndTheResultOrError) {
    std::vector<oca::server::RpcOutcome> outcome;
    const auto echo = [](const std::string& m, const std::vector<Variant>& p) {
        if (m == "falha") {
            throw oca::server::RpcError(-32602, "argumento errado");
        }
        return p.empty() ? Variant(ServerError{"sem argumentos"}) : p[0];
    };
    EXPECT_EQ(oca::server::HandleRpc(oca::server::MakeRpcRequest(7, "eco", {Variant("olá")}), echo,
                                     outcome),
              R"({"id":7,"jsonrpc":"2.0","result":"olá"})");
    ASSERT_EQ(outcome.size(), 1u);
    EXPECT_EQ(outcome[0].result, "ok");
    EXPECT_THAT(oca::server::HandleRpc(oca::server::MakeRpcRequest(8, "eco", {}), echo, outcome),
                HasSubstr(R"("result":{"$error":"sem argumentos"})"));
    EXPECT_THAT(oca::server::HandleRpc(oca::server::MakeRpcRequest(9, "falha", {}), echo, outcome),
                HasSubstr(R"("code":-32602)"));
    EXPECT_THAT(oca::server::HandleRpc(R"({"jsonrpc":"1.0","id":1,"method":"eco"})", echo, outcome),
                HasSubstr("-32600"));
    EXPECT_THAT(oca::server::HandleRpc(
                    R"({"jsonrpc":"2.0","id":1,"method":"eco","params":{"a":1}})", echo, outcome),
                HasSubstr("-32602"));
}

// What the log says of each call: its id, and whether the server did what was asked. A
// confirm the server refused in its text is a refusal with its reason, never an "ok".
TEST(JsonRpc, TheOutcomeOfACallSaysWhatHappened) {
    const auto answer = [](const std::string&, const std::vector<Variant>& p) {
        return p.empty() ? Variant(ServerError{"falhou"}) : p[0];
    };
    struct Case {
        std::string request;
        const char* id;
        const char* result;
    };
    const std::string refusal = "A ocorrência 0001/0000000001 foi alterada por outro usuário";
    const Case cases[] = {
        {oca::server::MakeRpcRequest(3, "Confirma", {Variant("0000000005")}), "3", "ok"},
        {oca::server::MakeRpcRequest(4, "Confirma", {Variant("")}), "4", "ok"},
        {oca::server::MakeRpcRequest(5, "Confirma", {Variant(refusal)}), "5",
         "recusado: A ocorrência 0001/0000000001 foi alterada por outro usuário"},
        {oca::server::MakeRpcRequest(6, "DelOcorr", {}), "6", "erro-no-resultado: falhou"},
        {R"({"jsonrpc":"2.0","method":"Confirma","params":[""]})", "-", "ok"},
        {R"({"jsonrpc":"2.0","id":"x","method":"GetSysDate","params":{}})", "\"x\"",
         "erro -32602: params deve ser uma lista (parâmetros por posição)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        std::vector<oca::server::RpcOutcome> outcome;
        oca::server::HandleRpc(c.request, answer, outcome);
        ASSERT_EQ(outcome.size(), 1u);
        EXPECT_EQ(outcome[0].id, c.id);
        EXPECT_EQ(outcome[0].result, c.result);
    }
}

TEST(DemoData, IsCoherentDeterministicAndHasValidInscriptions) {
    EXPECT_EQ(oca::db::CpfWithCheckDigits("529982247"), "52998224725");
    EXPECT_EQ(oca::db::CnpjWithCheckDigits("112223330001"), "11222333000181");
    auto fingerprint = [](int n) {
        auto db = oca::db::Database::Open("sqlite::memory:");
        EXPECT_EQ(oca::db::MigrateSchema(*db), static_cast<int>(oca::db::Migrations().size()));
        EXPECT_EQ(oca::db::MigrateSchema(*db), 0) << "a second run applies nothing";
        oca::db::FillDemoData(*db, n);
        auto st = db->Prepare("SELECT (SELECT COUNT(*) FROM MOVOCORR) || '/' || (SELECT COUNT(*) "
                              "FROM DESCMOVOCORR) || '/' ||"
                              " (SELECT MAX(DTOCORRMOV) FROM MOVOCORR) || '/' || (SELECT "
                              "MIN(DTOCORRMOV) FROM MOVOCORR) || '/' ||"
                              " (SELECT GROUP_CONCAT(NRINSJURFORN) FROM FORNECEDOR) || '/' ||"
                              " (SELECT COUNT(*) FROM MOVOCORR M LEFT JOIN FILIAL F ON F.CDFILIAL "
                              "= M.CDFILIAL WHERE F.CDFILIAL IS NULL)");
        st->Next();
        return st->Value(0).AsString();
    };
    const std::string a = fingerprint(300);
    EXPECT_EQ(a, fingerprint(300));
    EXPECT_THAT(a, ::testing::StartsWith("300/"));
    EXPECT_THAT(a, ::testing::EndsWith("/0")) << "every occurrence's branch exists";
    // Every supplier inscription has valid check digits.
    const std::string list = a.substr(0, a.rfind('/'));
    const std::string inscriptions = list.substr(list.rfind('/') + 1);
    size_t start = 0;
    while (start < inscriptions.size()) {
        size_t end = inscriptions.find(',', start);
        end = end == std::string::npos ? inscriptions.size() : end;
        const std::string ins = inscriptions.substr(start, end - start);
        if (ins.size() == 11) {
            EXPECT_EQ(oca::db::CpfWithCheckDigits(ins.substr(0, 9)), ins);
        } else {
            EXPECT_EQ(oca::db::CnpjWithCheckDigits(ins.substr(0, 12)), ins);
        }
        start = end + 1;
    }
}

// The demo company follows occurrences in every situation, some late, and no closed one
// with an action open or unchecked: what the server would refuse is never seeded.
TEST(DemoData, CarriesTreatmentsInEverySituationSomeOverdue) {
    auto db = oca::db::Database::Open("sqlite::memory:");
    oca::db::MigrateSchema(*db);
    oca::db::FillDemoData(*db, 300);
    const auto one = [&](const std::string& sql) {
        auto st = db->Prepare(sql);
        st->Next();
        return st->Value(0).AsString();
    };
    EXPECT_EQ(one("SELECT GROUP_CONCAT(IDSITUACAO, '') FROM (SELECT DISTINCT IDSITUACAO FROM "
                  "TRATOCORR ORDER BY IDSITUACAO)"),
              "ACEFN");
    EXPECT_NE(one("SELECT COUNT(*) FROM ACAOOCORR WHERE IDSITUACAO = 'A' AND DTPREVISTA < "
                  "'2026-12-01'"),
              "0");
    EXPECT_EQ(one("SELECT COUNT(*) FROM ACAOOCORR A JOIN TRATOCORR T ON T.CDFILILANCMO = "
                  "A.CDFILILANCMO AND T.NROCORRMOV = A.NROCORRMOV WHERE T.IDSITUACAO = 'F' AND "
                  "(A.IDSITUACAO = 'A' OR A.IDEFICAZ IS NULL)"),
              "0");
    EXPECT_EQ(one("SELECT COUNT(*) FROM TRATOCORR T LEFT JOIN MOVOCORR M ON M.CDFILILANCMO = "
                  "T.CDFILILANCMO AND M.NROCORRMOV = T.NROCORRMOV WHERE M.NROCORRMOV IS NULL"),
              "0");
}

} // namespace

namespace {

// The selection written while its rows are read is the same text as the packet's.
TEST_F(ServerTest, ASelectionWrittenAsItIsReadIsTheSameTextAsItsPacket) {
    const std::vector<Variant> args = WholeSelection();
    std::string text;
    ASSERT_TRUE(server->CallToText("GetMovOcorr", args, signedIn, text));
    const Variant packet = server->Call("GetMovOcorr", args, signedIn);
    ASSERT_GT(packet.AsPacket().rows.size(), 3u);
    EXPECT_EQ(text, EncodeVariant(packet));
    std::string none;
    EXPECT_FALSE(server->CallToText("GetSysDate", {}, signedIn, none));
    EXPECT_TRUE(none.empty());
    // A failure is reported in the text as the packet call reports it.
    std::string failed;
    std::vector<Variant> bad = args;
    bad[6] = Variant("não é data");
    EXPECT_THROW(server->CallToText("GetMovOcorr", bad, signedIn, failed), oca::server::RpcError);
}

} // namespace
