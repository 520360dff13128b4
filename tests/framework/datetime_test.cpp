#include "core/datetime.h"
#include "core/exceptions.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
    const char* text;
    bool valid;
    int year, month, day;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.text;
}

class StrToDateCases : public ::testing::TestWithParam<DateCase> {};

TEST_P(StrToDateCases, ParsesOrRejects) {
    const DateCase& c = GetParam();
    TDateTime dt;
    ASSERT_EQ(TryStrToDate(c.text, dt), c.valid) << c.text;
    if (!c.valid) {
        try {
            StrToDate(c.text);
            FAIL() << "accepted " << c.text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(c.text) + "' não é uma data válida");
        }
        return;
    }
    const DateParts d = DecodeDate(dt);
    EXPECT_EQ(d.year, c.year);
    EXPECT_EQ(d.month, c.month);
    EXPECT_EQ(d.day, c.day);
}

INSTANTIATE_TEST_SUITE_P(
    PtBr, StrToDateCases,
    ::testing::Values(
        DateCase{"10/11/2026", true, 2026, 11, 10}, DateCase{"1/2/2024", true, 2024, 2, 1},
        DateCase{" 29/02/2024 ", true, 2024, 2, 29}, DateCase{"31/12/49", true, 2049, 12, 31},
        DateCase{"01/01/50", true, 1950, 1, 1}, DateCase{"31/02/2024", false, 0, 0, 0},
        DateCase{"29/02/2023", false, 0, 0, 0}, DateCase{"31/04/2024", false, 0, 0, 0},
        DateCase{"00/01/2024", false, 0, 0, 0}, DateCase{"12/13/2024", false, 0, 0, 0},
        DateCase{"2024-01-01", false, 0, 0, 0}, DateCase{"10/11/2026x", false, 0, 0, 0},
        DateCase{"", false, 0, 0, 0}, DateCase{"  /  /    ", false, 0, 0, 0}));

struct TimeCase {
    const char* text;
    bool valid;
    int hour, minute, second;
};

void PrintTo(const TimeCase& c, std::ostream* os) {
    *os << c.text;
}

class StrToTimeCases : public ::testing::TestWithParam<TimeCase> {};

TEST_P(StrToTimeCases, ParsesOrRejects) {
    const TimeCase& c = GetParam();
    TDateTime dt;
    ASSERT_EQ(TryStrToTime(c.text, dt), c.valid) << c.text;
    if (!c.valid) {
        EXPECT_THROW(StrToTime(c.text), EConvertError);
        return;
    }
    const TimeParts t = DecodeTime(dt);
    EXPECT_EQ(t.hour, c.hour);
    EXPECT_EQ(t.minute, c.minute);
    EXPECT_EQ(t.second, c.second);
}

INSTANTIATE_TEST_SUITE_P(
    PtBr, StrToTimeCases,
    ::testing::Values(TimeCase{"09:30", true, 9, 30, 0}, TimeCase{"9:05:07", true, 9, 5, 7},
                      TimeCase{"23:59:59", true, 23, 59, 59}, TimeCase{"00:00", true, 0, 0, 0},
                      TimeCase{"25:00", false, 0, 0, 0}, TimeCase{"24:00", false, 0, 0, 0},
                      TimeCase{"12:60", false, 0, 0, 0}, TimeCase{"  :  ", false, 0, 0, 0},
                      TimeCase{"1230", false, 0, 0, 0}));

TEST(DateTime, DelphiEpochAndNegativeValuesKeepAPositiveTimeOfDay) {
    EXPECT_EQ(EncodeDate(1899, 12, 30).Value, 0.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1).Value, 36526.0);
    // -1.25 is the day before the epoch at 06:00, not 18:00.
    const TDateTime before(-1.25);
    EXPECT_EQ(DateToStr(before), "29/12/1899");
    EXPECT_EQ(FormatDateTime("hh:nn", before), "06:00");
    EXPECT_EQ(CombineDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)).Value, -1.25);
}

TEST(DateTime, FormatsWithPtBrNamesAndMinutesAfterHours) {
    const TDateTime dt = CombineDateTime(EncodeDate(2026, 12, 7), EncodeTime(14, 5, 9, 45));
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss", dt), "07/12/2026 14:05:09");
    EXPECT_EQ(FormatDateTime("hh:mm", dt), "14:05");
    EXPECT_EQ(FormatDateTime("dddd, d 'de' mmmm 'de' yyyy", dt),
              "segunda-feira, 7 de dezembro de 2026");
    EXPECT_EQ(FormatDateTime("ddd zzz", dt), "seg 045");
    EXPECT_EQ(DayOfWeek(dt), 2);
    EXPECT_EQ(DateTimeToStr(dt), "07/12/2026 14:05:09");
    EXPECT_EQ(DateTimeToStr(DateOf(dt)), "07/12/2026");
    // An empty date-time shows its hour as midnight.
    EXPECT_EQ(FormatDateTime("hh:nn", TDateTime()), "00:00");
}

TEST(DateTime, StrToDateTimeJoinsDateAndTime) {
    const TDateTime dt = StrToDateTime("10/11/2026 09:30");
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", dt), "10/11/2026 09:30");
    EXPECT_THROW(StrToDateTime("10/11/2026 25:00"), EConvertError);
    EXPECT_THROW(StrToDateTime("31/02/2024 10:00"), EConvertError);
}

TEST(DateTime, StorageTextRoundTripsAndAcceptsTAndFractions) {
    const TDateTime dt = CombineDateTime(EncodeDate(2026, 11, 10), EncodeTime(9, 30, 15, 0));
    EXPECT_EQ(ToIsoText(dt), "2026-11-10 09:30:15");
    EXPECT_EQ(ToIsoText(dt, true, 'T'), "2026-11-10T09:30:15.000");
    TDateTime back;
    ASSERT_TRUE(TryParseIsoText("2026-11-10 09:30:15", back));
    EXPECT_EQ(ToIsoText(back), "2026-11-10 09:30:15");
    ASSERT_TRUE(TryParseIsoText("2026-11-10T09:30:15.123456", back));
    EXPECT_EQ(DecodeTime(back).msec, 123);
    ASSERT_TRUE(TryParseIsoText("2026-11-10", back));
    EXPECT_EQ(back.Value, EncodeDate(2026, 11, 10).Value);
    EXPECT_FALSE(TryParseIsoText("2026-02-30 10:00:00", back));
    EXPECT_FALSE(TryParseIsoText("2026-11-10 10:00:00Z", back));
    // Rounding to whole seconds carries into the next day.
    const TDateTime late = CombineDateTime(EncodeDate(2026, 12, 31), EncodeTime(23, 59, 59, 700));
    EXPECT_EQ(ToIsoText(late), "2027-01-01 00:00:00");
}

TEST(DateTime, MillisecondsSurviveTheDoubleRoundTrip) {
    for (int ms = 0; ms < 1000; ms += 37) {
        const TDateTime dt = CombineDateTime(EncodeDate(2026, 1, 1), EncodeTime(12, 34, 56, ms));
        EXPECT_EQ(DecodeTime(dt).msec, ms);
    }
}

} // namespace
