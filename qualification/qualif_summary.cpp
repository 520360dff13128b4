#include "qualification/qualif_summary.h"

#include "core/standing.h"

#include <cstdio>
#include <map>

namespace qualif {

std::vector<Month> MonthsOf(const DataPacket& answer) {
    const auto at = [&](const char* name) {
        const int i = answer.FieldIndex(name);
        return i < 0 ? answer.fields.size() : static_cast<size_t>(i);
    };
    const size_t supplier = at("CDFORNECED"), name = at("NMRAZSOCFORN"), month = at("NRANOMES"),
                 occurrences = at("QTOCORR"), demerits = at("QTDEMERITO"),
                 receipts = at("QTRECEBTO"), score = at("VRNOTA"), standing = at("IDCLASSIF"),
                 computed = at("DTAPURACAO");
    const auto cell = [](const Row& row, size_t i) {
        return i < row.size() ? row[i] : Variant();
    };
    std::vector<Month> out;
    for (const Row& row : answer.rows) {
        Month m;
        m.supplier = cell(row, supplier).AsString();
        m.name = cell(row, name).AsString();
        m.yearMonth = static_cast<int>(cell(row, month).AsInteger());
        m.occurrences = static_cast<int>(cell(row, occurrences).AsInteger());
        m.demerits = static_cast<int>(cell(row, demerits).AsInteger());
        m.receipts = static_cast<int>(cell(row, receipts).AsInteger());
        m.score = cell(row, score).AsFloat();
        m.standing = cell(row, standing).AsString();
        m.computed = cell(row, computed);
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<Supplier> Summarize(const std::vector<Month>& months) {
    std::vector<Supplier> out;
    std::map<std::string, size_t> index;
    std::map<std::string, const Month*> latest, previous;
    for (const Month& m : months) {
        auto [at, added] = index.emplace(m.supplier, out.size());
        if (added) {
            Supplier s;
            s.supplier = m.supplier;
            s.name = m.name;
            out.push_back(s);
        }
        Supplier& s = out[at->second];
        s.occurrences += m.occurrences;
        s.receipts += m.receipts;
        const Month*& last = latest[m.supplier];
        if (!last || m.yearMonth > last->yearMonth) {
            if (last) {
                previous[m.supplier] = last;
            }
            last = &m;
        } else {
            const Month*& before = previous[m.supplier];
            if (!before || m.yearMonth > before->yearMonth) {
                before = &m;
            }
        }
    }
    for (Supplier& s : out) {
        const Month* last = latest[s.supplier];
        s.yearMonth = last->yearMonth;
        s.score = last->score;
        s.standing = last->standing;
        s.computed = last->computed;
        // Against the month just before the latest; a gap leaves nothing to compare with.
        const auto found = previous.find(s.supplier);
        if (found != previous.end() && found->second &&
            found->second->yearMonth == AddMonths(last->yearMonth, -1)) {
            s.hasPrevious = true;
            const double change = last->score - found->second->score;
            s.trend = change > 0.005 ? 1 : change < -0.005 ? -1 : 0;
        }
    }
    return out;
}

std::vector<TChartPoint> ChartPoints(const std::vector<Month>& months, const std::string& supplier,
                                     int first, int last) {
    std::map<int, const Month*> byMonth;
    for (const Month& m : months) {
        if (m.supplier == supplier) {
            byMonth[m.yearMonth] = &m;
        }
    }
    std::vector<TChartPoint> points;
    for (int ym = first; ym <= last && points.size() < 600; ym = AddMonths(ym, 1)) {
        TChartPoint p;
        p.label = ShortMonthText(ym);
        const auto found = byMonth.find(ym);
        if (found != byMonth.end()) {
            p.hasLine = true;
            p.line = found->second->score;
            p.bar = found->second->occurrences;
        }
        points.push_back(p);
    }
    return points;
}

std::vector<TChartBand> StandingBands() {
    return {{0, standing::kC, "D", StandingColor("D")},
            {standing::kC, standing::kB, "C", StandingColor("C")},
            {standing::kB, standing::kA, "B", StandingColor("B")},
            {standing::kA, 100, "A", StandingColor("A")}};
}

TColor StandingColor(std::string_view standing) {
    // 0xBBGGRR
    if (standing == "A") {
        return static_cast<TColor>(0x9CE6A8); // green
    }
    if (standing == "B") {
        return static_cast<TColor>(0x8CEBF5); // yellow
    }
    if (standing == "C") {
        return static_cast<TColor>(0x6AB4F8); // orange
    }
    if (standing == "D") {
        return static_cast<TColor>(0x7A7AEE); // red
    }
    return clWhite;
}

std::string TrendText(const Supplier& s) {
    if (!s.hasPrevious) {
        return "";
    }
    return s.trend > 0 ? "subiu" : s.trend < 0 ? "caiu" : "igual";
}

std::string ShortMonthText(int yearMonth) {
    static const char* const kNames[] = {"jan", "fev", "mar", "abr", "mai", "jun",
                                         "jul", "ago", "set", "out", "nov", "dez"};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s/%02d", kNames[(yearMonth % 100 + 11) % 12],
                  yearMonth / 100 % 100);
    return buf;
}

std::string MonthText(int yearMonth) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%04d", yearMonth % 100, yearMonth / 100);
    return buf;
}

int ParseMonth(std::string_view text) {
    int year = 0, month = 0;
    const std::string t(text);
    char tail = 0;
    if (std::sscanf(t.c_str(), "%2d/%4d%c", &month, &year, &tail) != 2 &&
        std::sscanf(t.c_str(), "%4d-%2d%c", &year, &month, &tail) != 2) {
        return 0;
    }
    if (year < 1900 || year > 2999 || month < 1 || month > 12) {
        return 0;
    }
    return year * 100 + month;
}

int AddMonths(int yearMonth, int count) {
    const int index = (yearMonth / 100) * 12 + (yearMonth % 100 - 1) + count;
    return (index / 12) * 100 + index % 12 + 1;
}

} // namespace qualif
