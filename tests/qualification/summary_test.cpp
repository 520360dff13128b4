// What the panel works out from the server's rows, and the CSV files it writes.
#include "core/csv.h"
#include "qualification/qualif_summary.h"

#include <gmock/gmock.h>

namespace {

using qualif::Month;

Month M(const std::string& supplier, int yearMonth, double score, int occurrences = 0,
        int receipts = 0) {
    Month m;
    m.supplier = supplier;
    m.name = "Fornecedor " + supplier;
    m.yearMonth = yearMonth;
    m.score = score;
    m.standing = score >= 80 ? "A" : score >= 50 ? "B" : score >= 30 ? "C" : "D";
    m.occurrences = occurrences;
    m.receipts = receipts;
    return m;
}

// The latest month gives the score and the class; the change is against the month just
// before it, and a gap leaves nothing to compare with.
TEST(QualificationSummary, EachSupplierShowsItsLatestMonthAndItsChange) {
    const std::vector<Month> months = {
        M("1", 202609, 90, 1, 4), M("1", 202610, 70, 2, 3), M("1", 202611, 75, 0, 5),
        M("2", 202611, 40, 3, 1), M("2", 202610, 60, 1, 1), // out of order
        M("3", 202609, 20),       M("3", 202611, 20),       // a gap in October
        M("4", 202610, 50),       M("4", 202611, 50),
    };
    const auto list = qualif::Summarize(months);
    ASSERT_EQ(list.size(), 4u);
    const struct {
        const char* supplier;
        int month;
        double score;
        const char* standing;
        const char* trend;
        int occurrences, receipts;
    } expected[] = {{"1", 202611, 75, "B", "subiu", 3, 12},
                    {"2", 202611, 40, "C", "caiu", 4, 2},
                    {"3", 202611, 20, "D", "", 0, 0},
                    {"4", 202611, 50, "B", "igual", 0, 0}};
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].supplier, expected[i].supplier);
        EXPECT_EQ(list[i].yearMonth, expected[i].month) << i;
        EXPECT_EQ(list[i].score, expected[i].score) << i;
        EXPECT_EQ(list[i].standing, expected[i].standing) << i;
        EXPECT_EQ(qualif::TrendText(list[i]), expected[i].trend) << i;
        EXPECT_EQ(list[i].occurrences, expected[i].occurrences) << i;
        EXPECT_EQ(list[i].receipts, expected[i].receipts) << i;
    }
}

// Every month of the period is a step of the chart; only computed months have a score.
TEST(QualificationSummary, TheChartHasEveryMonthOfThePeriod) {
    const std::vector<Month> months = {M("1", 202512, 80, 2), M("1", 202602, 30, 5),
                                       M("2", 202601, 10, 9)};
    const auto points = qualif::ChartPoints(months, "1", 202511, 202602);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].label, "nov/25");
    EXPECT_FALSE(points[0].hasLine);
    EXPECT_EQ(points[1].label, "dez/25");
    EXPECT_TRUE(points[1].hasLine);
    EXPECT_EQ(points[1].line, 80);
    EXPECT_EQ(points[1].bar, 2);
    EXPECT_FALSE(points[2].hasLine) << "January is supplier 2's, not 1's";
    EXPECT_EQ(points[2].bar, 0);
    EXPECT_EQ(points[3].label, "fev/26");
    EXPECT_EQ(points[3].line, 30);
    EXPECT_TRUE(qualif::ChartPoints(months, "9", 202601, 202512).empty());
}

TEST(QualificationSummary, MonthsAndClassesAsShown) {
    EXPECT_EQ(qualif::AddMonths(202612, 1), 202701);
    EXPECT_EQ(qualif::AddMonths(202601, -1), 202512);
    EXPECT_EQ(qualif::AddMonths(202611, -11), 202512);
    EXPECT_EQ(qualif::AddMonths(202611, 25), 202812);
    for (const auto& [text, month] : std::vector<std::pair<std::string, int>>{{"11/2026", 202611},
                                                                              {"2026-01", 202601},
                                                                              {"13/2026", 0},
                                                                              {"00/2026", 0},
                                                                              {"1/2026x", 0},
                                                                              {"__/____", 0},
                                                                              {"", 0}}) {
        EXPECT_EQ(qualif::ParseMonth(text), month) << text;
    }
    EXPECT_EQ(qualif::MonthText(202603), "03/2026");
    const auto bands = qualif::StandingBands();
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands.front().from, 0);
    EXPECT_EQ(bands.back().to, 100);
    for (size_t i = 1; i < bands.size(); ++i) {
        EXPECT_EQ(bands[i].from, bands[i - 1].to) << "bands meet";
        EXPECT_NE(bands[i].color, bands[i - 1].color);
    }
    EXPECT_EQ(qualif::StandingColor("A"), bands.back().color);
    EXPECT_EQ(qualif::StandingColor(""), clWhite);
}

// What goes into a CSV cell comes back out of it, whatever it holds.
TEST(Csv, ValuesSurviveTheRoundTrip) {
    const std::vector<std::vector<std::string>> rows = {
        {"Código", "Razão Social", "Nota"},
        {"000001", "Aços; Ferros & Cia", "72,5"},
        {"000002", "Diz \"ótimo\"", "0,0"},
        {"000003", "linha 1\nlinha 2\r\nlinha 3", ""},
        {" espaço ", ";", "\""},
        {"só\nLF", "fim"},
        {""},
    };
    std::string text(kCsvBom);
    for (const auto& row : rows) {
        text += CsvLine(row);
    }
    EXPECT_EQ(ParseCsv(text), rows);
    EXPECT_EQ(CsvLine({"a", "b;c"}), "a;\"b;c\"\r\n");
    EXPECT_EQ(CsvLine({"x\"y"}), "\"x\"\"y\"\r\n");
    EXPECT_EQ(DecimalComma(72.46, 1), "72,5");
    EXPECT_EQ(DecimalComma(-0.01, 1), "0,0");
    EXPECT_EQ(DecimalComma(1234567.5, 2), "1234567,50");
}

} // namespace
