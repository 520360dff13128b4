// The qualification panel's methods on the scenario company, after October 2026 and
// November 2026 were computed: scores follow the formula, lists match whole keys, the
// branches of a selection add up.
#include "server_fixture.h"

#include "appserver/qualification.h"
#include "database/demo_data.h"

#include <gmock/gmock.h>

#include <map>
#include <set>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class QualificationPanel : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        auto db = oca::db::Database::Open(url);
        // Eight more receipts of supplier 000001 at branch 0001 in October: ten in all.
        for (int i = 0; i < 8; ++i) {
            db->Execute("INSERT INTO NOTAFISCAL VALUES ('0001', :N, '1', :F, '000001', '0001', "
                        "'2026-10-21 00:00:00')",
                        {{"N", Variant("00000001" + std::to_string(10 + i))},
                         {"F", Variant("00099" + std::to_string(10 + i))}});
        }
        for (const int month : {202610, 202611}) {
            recomputed += oca::server::Requalify(
                *db, month, "", [&](int, int, const std::string& what) { seen.push_back(what); });
        }
    }
    /// "supplier month occurrences/demerits/receipts score class" for each row.
    std::vector<std::string> Rows(const std::string& branches, const std::string& suppliers,
                                  const Variant& first, const Variant& last) {
        const Variant result =
            net.Call("GetQualifForn", {Variant(branches), Variant(suppliers), first, last});
        std::vector<std::string> out;
        for (const Row& r : result.AsPacket().rows) {
            char score[16];
            std::snprintf(score, sizeof score, "%.0f", r[6].AsFloat());
            out.push_back(r[0].AsString() + " " + r[2].AsString() + " " + r[3].AsString() + "/" +
                          r[4].AsString() + "/" + r[5].AsString() + " " + score + " " +
                          r[7].AsString());
        }
        return out;
    }

    int recomputed = 0;
    std::vector<std::string> seen;
};

TEST_F(QualificationPanel, ScoresFollowTheFormulaPerSupplierAndMonth) {
    // October: 0001/000001, 0002/000001, 0002/123, 0012/12 (occurrences or receipts);
    // November: 0002/000001 (a receipt).
    EXPECT_EQ(recomputed, 5);
    EXPECT_THAT(seen,
                ElementsAre("0001/000001", "0002/000001", "0002/123", "0012/12", "0002/000001"));
    const Variant oct(std::int64_t{202610}), nov(std::int64_t{202611});
    const struct {
        const char* branches;
        const char* suppliers;
        std::vector<std::string> rows;
    } cases[] = {
        // 1 occurrence of weight 20 over 10 receipts: 100 - 100 x 20 / 100 = 80, class A.
        {"|0001|", "|000001|", {"000001 202610 1/20/10 80 A"}},
        // Both branches add up: 2 occurrences (20 + 10 for one without a group), 10
        // receipts: 100 - 100 x 30 / 100 = 70, class B; November's receipt at 0002.
        {"", "|000001|", {"000001 202610 2/30/10 70 B", "000001 202611 0/0/1 100 A"}},
        // Supplier 12 is not supplier 123 nor 000001: whole keys.
        {"", "|12|", {"12 202610 1/10/0 0 D"}},
        {"", "|123|", {"123 202610 1/20/0 0 D"}},
        {"|0012|", "", {"12 202610 1/10/0 0 D"}},
        {"|0003|", "", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Rows(c.branches, c.suppliers, oct, nov), c.rows)
            << c.branches << " " << c.suppliers;
    }
    // The month may come as a text or as a date within it.
    EXPECT_EQ(Rows("|0012|", "", Variant("2026-10"), Variant(EncodeDate(2026, 10, 31))),
              std::vector<std::string>{"12 202610 1/10/0 0 D"});
    const Variant answer = net.Call("GetQualifForn", {Variant("|0012|"), Variant(""), oct, oct});
    const DataPacket& p = answer.AsPacket();
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(p.rows[0][static_cast<size_t>(p.FieldIndex("NMRAZSOCFORN"))], Variant("José Doze"));
    EXPECT_EQ(p.rows[0][static_cast<size_t>(p.FieldIndex("DTAPURACAO"))].Type(), VarType::DateTime);
}

// A month runs from its first midnight up to, not including, the next one: an occurrence at
// 00:00 of November counts in November alone. A receipt counts at the branch that
// received the goods, whatever branch the invoice is from.
TEST_F(QualificationPanel, MonthsEndBeforeTheNextMidnightAndReceiptsCountWhereReceived) {
    auto db = oca::db::Database::Open(url);
    db->ExecuteScript(
        "INSERT INTO MOVOCORR (CDFILILANCMO, NROCORRMOV, CDFILIAL, CDFORNECED, DTOCORRMOV, "
        "CDOPERADOR, CDGRPOCOR, CDOCORR) VALUES ('0012', '0000000002', '0012', '12', "
        "'2026-11-01 00:00:00', '001', '02', '01');"
        "INSERT INTO NOTAFISCAL VALUES ('0001', '0000000099', '1', '0007777', '12', '0012', "
        "'2026-10-22 00:00:00');");
    const Variant oct(std::int64_t{202610}), nov(std::int64_t{202611});
    // October alone, for the receiving branch alone: November is not touched.
    oca::server::Requalify(*db, 202610, "0012", nullptr);
    EXPECT_EQ(Rows("", "|12|", oct, nov), std::vector<std::string>{"12 202610 1/10/1 0 D"});
    oca::server::Requalify(*db, 202611, "", nullptr);
    EXPECT_EQ(Rows("", "|12|", oct, nov),
              (std::vector<std::string>{"12 202610 1/10/1 0 D", "12 202611 1/10/0 0 D"}));
    EXPECT_EQ(Rows("|0001|", "|12|", oct, nov), std::vector<std::string>{})
        << "the invoice's branch received nothing";
    // October's detail holds October's occurrence alone.
    const Variant detail = net.Call("GetQualifDetalhe", {Variant(""), Variant("12"), oct});
    ASSERT_EQ(detail.AsPacket().rows.size(), 1u);
    EXPECT_EQ(detail.AsPacket().rows[0][3], Variant(std::int64_t{1}));
}

TEST_F(QualificationPanel, RecomputingGivesTheSameRows) {
    const Variant oct(std::int64_t{202610});
    const auto before = Rows("", "", oct, oct);
    auto db = oca::db::Database::Open(url);
    EXPECT_EQ(oca::server::Requalify(*db, 202610, "0002", nullptr), 2) << "0002/000001, 0002/123";
    EXPECT_EQ(Rows("", "", oct, oct), before);
    auto count = db->Prepare("SELECT COUNT(*) FROM QUALIFFORN WHERE NRANOMES = 202610");
    ASSERT_TRUE(count->Next());
    EXPECT_EQ(count->Value(0).AsInteger(), 4);
}

TEST_F(QualificationPanel, AMonthsOccurrencesByGroupWithTheirWeight) {
    const Variant detail = net.Call(
        "GetQualifDetalhe", {Variant(""), Variant("000001"), Variant(std::int64_t{202610})});
    std::vector<std::string> rows;
    for (const Row& r : detail.AsPacket().rows) {
        rows.push_back(r[0].AsString() + " " + r[1].AsString() + " " + r[2].AsString() + " x " +
                       r[3].AsString() + " = " + r[4].AsString());
    }
    EXPECT_THAT(rows, ElementsAre("  10 x 1 = 10", "01 Qualidade 20 x 1 = 20"))
        << "the occurrence without a group counts with weight 10";
    const Variant one =
        net.Call("GetQualifDetalhe", {Variant("|0001|"), Variant("000001"), Variant("2026-10")});
    ASSERT_EQ(one.AsPacket().rows.size(), 1u);
    EXPECT_EQ(one.AsPacket().rows[0][4], Variant(std::int64_t{20}));
    EXPECT_TRUE(net.Call("GetQualifDetalhe",
                         {Variant(""), Variant("000001"), Variant(std::int64_t{202609})})
                    .AsPacket()
                    .rows.empty());
}

TEST_F(QualificationPanel, PeriodsOutOfShapeAreRefused) {
    const Variant oct(std::int64_t{202610});
    EXPECT_THAT(
        net.Call("GetQualifForn", {Variant(""), Variant(""), oct, Variant(std::int64_t{202609})})
            .AsString(),
        HasSubstr("o primeiro antes do último"));
    EXPECT_THAT(net.Call("GetQualifForn", {Variant(""), Variant(""), Variant(std::int64_t{202001}),
                                           Variant(std::int64_t{202612})})
                    .AsString(),
                HasSubstr("de 1 a 60 meses"));
    // The edge itself: 60 months (January 2022 to December 2026) are shown, 61 are not.
    EXPECT_EQ(net.Call("GetQualifForn", {Variant(""), Variant(""), Variant(std::int64_t{202201}),
                                         Variant(std::int64_t{202612})})
                  .Type(),
              VarType::Packet);
    EXPECT_THAT(net.Call("GetQualifForn", {Variant(""), Variant(""), Variant(std::int64_t{202112}),
                                           Variant(std::int64_t{202612})})
                    .AsString(),
                HasSubstr("de 1 a 60 meses"));
    for (const Variant& bad :
         {Variant("13/2026"), Variant(std::int64_t{202613}), Variant("ontem"), Variant(true)}) {
        EXPECT_THROW(net.Call("GetQualifForn", {Variant(""), Variant(""), bad, oct}), Exception)
            << bad.AsString();
    }
}

} // namespace

namespace {

// The demonstration company looks like one: its suppliers' monthly scores fall in all four
// classes, few at the extremes of the formula, and some suppliers get better over the two
// years while others get worse.
TEST(DemoCompany, SuppliersScoresSpreadOverTheClassesWithTrends) {
    TestDatabase database(CurrentTestName());
    auto db = oca::db::Database::Open(database.Url());
    oca::db::MigrateSchema(*db);
    oca::db::FillDemoData(*db, 2000);
    for (int month = 202412; month <= 202611;
         month = month % 100 == 12 ? (month / 100 + 1) * 100 + 1 : month + 1) {
        oca::server::Requalify(*db, month, "", nullptr);
    }
    std::map<std::string, int> classes;
    int rows = 0, zeros = 0;
    struct Halves {
        double first = 0, second = 0;
        int firstCount = 0, secondCount = 0;
    };
    std::map<std::string, Halves> halves; // by supplier: the first year's and the second's
    auto st = db->Prepare("SELECT CDFORNECED, NRANOMES, VRNOTA, IDCLASSIF FROM QUALIFFORN "
                          "WHERE NRANOMES > 0");
    while (st->Next()) {
        ++rows;
        const double score = st->Value(2).AsFloat();
        zeros += score == 0;
        ++classes[st->Value(3).AsString()];
        Halves& half = halves[st->Value(0).AsString()];
        if (st->Value(1).AsInteger() < 202512) {
            half.first += score;
            ++half.firstCount;
        } else {
            half.second += score;
            ++half.secondCount;
        }
    }
    ASSERT_GT(rows, 300);
    for (const char* c : {"A", "B", "C", "D"}) {
        EXPECT_GE(classes[c] * 100, rows * 4) << "class " << c << ": " << classes[c];
    }
    EXPECT_LT(zeros * 100, rows * 10);
    EXPECT_LT(classes["A"] * 100, rows * 75);
    int better = 0, worse = 0;
    for (const auto& [supplier, half] : halves) {
        if (half.firstCount == 0 || half.secondCount == 0) {
            continue;
        }
        const double change = half.second / half.secondCount - half.first / half.firstCount;
        better += change > 15;
        worse += change < -15;
    }
    EXPECT_GE(better, 3);
    EXPECT_GE(worse, 3);
}

// A period recomputed at once stores what recomputing it month by month stores, in one
// pass over the occurrences: the same months for the same suppliers, the same overall
// score as of each supplier's latest active month.
TEST(DemoCompany, APeriodRecomputedAtOnceStoresWhatItsMonthsOneByOneStore) {
    TestDatabase database(CurrentTestName());
    auto db = oca::db::Database::Open(database.Url());
    oca::db::MigrateSchema(*db);
    oca::db::FillDemoData(*db, 1500);
    // Supplier 000001 active in one month only of the period: its overall score is as of
    // that month, not the period's end.
    db->Execute("DELETE FROM MOVOCORR WHERE CDFORNECED = '000001' AND DTOCORRMOV >= "
                "'2026-03-01 00:00:00'");
    db->Execute("DELETE FROM NOTAFISCAL WHERE CDFORNECED = '000001' AND DTENTRADA >= "
                "'2026-03-01 00:00:00'");
    const auto rows = [&] {
        std::vector<std::string> out;
        auto st = db->Prepare("SELECT CDFILIAL, CDFORNECED, NRANOMES, QTOCORR, QTDEMERITO, "
                              "QTRECEBTO, VRNOTA, IDCLASSIF FROM QUALIFFORN ORDER BY 1, 2, 3");
        while (st->Next()) {
            std::string line;
            for (size_t c = 0; c < 8; ++c) {
                line += st->Value(c).AsString() + " ";
            }
            out.push_back(line);
        }
        return out;
    };
    for (int month = 202601; month <= 202606; ++month) {
        oca::server::Requalify(*db, month, "", nullptr);
    }
    const std::vector<std::string> byMonth = rows();
    ASSERT_GT(byMonth.size(), 50u);
    db->Execute("DELETE FROM QUALIFFORN");
    std::vector<std::string> heard;
    const int done = oca::server::Requalify(
        *db, 202601, 202606, "", [&](int, int, const std::string& what) { heard.push_back(what); });
    EXPECT_EQ(rows(), byMonth);
    EXPECT_EQ(done, static_cast<int>(heard.size()));
    EXPECT_GT(done, 10);
    // A write's recomputation of one month gives the same month and overall score: the
    // overall weighs the eleven months before it too.
    std::set<std::string> recomputed; // "branch supplier "
    for (const std::string& row : byMonth) {
        const std::string pair = row.substr(0, row.find(' ', 5) + 1);
        if (row.rfind(pair + "202606 ", 0) == 0) {
            recomputed.insert(pair);
        }
    }
    ASSERT_GT(recomputed.size(), 10u);
    std::vector<std::string> expected;
    for (const std::string& row : byMonth) {
        const std::string pair = row.substr(0, row.find(' ', 5) + 1);
        if (!recomputed.count(pair) || row.rfind(pair + "202606 ", 0) == 0 ||
            row.rfind(pair + "0 ", 0) == 0) {
            expected.push_back(row);
        }
    }
    for (const std::string& pair : recomputed) {
        const std::string branch = pair.substr(0, 4);
        const std::string supplier = pair.substr(5, pair.size() - 6);
        db->Execute("DELETE FROM QUALIFFORN WHERE CDFILIAL = :B AND CDFORNECED = :F",
                    {{"B", Variant(branch)}, {"F", Variant(supplier)}});
        oca::server::Qualify(*db, branch, supplier, EncodeDate(2026, 6, 10),
                             EncodeDate(2026, 6, 10), "");
    }
    EXPECT_EQ(rows(), expected);
    // One branch only: the others' rows are left alone.
    db->Execute("DELETE FROM QUALIFFORN");
    oca::server::Requalify(*db, 202601, 202606, "0001", nullptr);
    for (const std::string& row : rows()) {
        EXPECT_EQ(row.rfind("0001 ", 0), 0u) << row;
    }
}

} // namespace
