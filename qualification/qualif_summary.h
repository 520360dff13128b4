#pragma once

#include "core/data_packet.h"
#include "framework/controls/chart.h"

#include <string>
#include <string_view>
#include <vector>

/// What the qualification panel shows, worked out from GetQualifForn's rows without any
/// screen: the suppliers' list, a supplier's chart, the classes' colours.
namespace qualif {

/// One supplier's month, as the server computed it.
struct Month {
    std::string supplier, name;
    int yearMonth = 0;
    int occurrences = 0, demerits = 0, receipts = 0;
    double score = 100;
    std::string standing;
    Variant computed; ///< when the server computed the month (null when unknown)
};

/// A supplier of the list: the latest month's score and class, its change against the
/// month before (1 up, -1 down, 0 the same or no month before), and the period's counts.
struct Supplier {
    std::string supplier, name;
    int yearMonth = 0;
    double score = 100;
    std::string standing;
    int trend = 0;
    bool hasPrevious = false;
    int occurrences = 0, receipts = 0;
    Variant computed; ///< when the latest month was computed
};

/// The rows of a GetQualifForn answer.
std::vector<Month> MonthsOf(const DataPacket& answer);
/// One entry per supplier, in the answer's order (by code).
std::vector<Supplier> Summarize(const std::vector<Month>& months);
/// Every month from `first` to `last` for `supplier`: the score as the line where the
/// month was computed, the occurrences as the bar.
std::vector<TChartPoint> ChartPoints(const std::vector<Month>& months, const std::string& supplier,
                                     int first, int last);
/// The four classes as bands of the score's scale: D below 30, C to 50, B to 80, A above.
std::vector<TChartBand> StandingBands();
/// The colour of a class ("A" green, "B" yellow, "C" orange, "D" red); white for none.
TColor StandingColor(std::string_view standing);
/// "subiu", "caiu", "igual" ("" with no month before).
std::string TrendText(const Supplier& s);

/// 202611 as "nov/26", as the chart's axis shows it.
std::string ShortMonthText(int yearMonth);
/// 202611 as "11/2026", and back ("11/2026" or "2026-11"; 0 when it is neither).
std::string MonthText(int yearMonth);
int ParseMonth(std::string_view text);
/// The month `count` months after (before, when negative) `yearMonth`.
int AddMonths(int yearMonth, int count);

} // namespace qualif
