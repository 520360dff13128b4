#include "core/datetime.h"

#include "core/exceptions.h"

#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr double kMsecsPerDay = 86400000.0;

// Days from 1970-01-01 of a civil date (proleptic Gregorian), after H. Hinnant.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

DateParts CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);

// Whole days and milliseconds of the day, rounded to the millisecond with the carry
// into the next day, honouring the positive-fraction rule for negative values.
struct Stamp {
    long long days;
    long long msec;
};

Stamp ToStamp(TDateTime dt) {
    const double v = dt.Value;
    long long days = static_cast<long long>(std::trunc(v));
    long long ms = std::llround(std::fabs(v - std::trunc(v)) * kMsecsPerDay);
    if (ms >= static_cast<long long>(kMsecsPerDay)) {
        ms -= static_cast<long long>(kMsecsPerDay);
        days += v < 0 ? -1 : 1;
    }
    return {days, ms};
}

TDateTime FromStamp(long long days, double timeFraction) {
    return TDateTime(days >= 0 ? static_cast<double>(days) + timeFraction
                               : static_cast<double>(days) - timeFraction);
}

const std::array<const char*, 12> kLongMonths = {"janeiro",  "fevereiro", "março",    "abril",
                                                 "maio",     "junho",     "julho",    "agosto",
                                                 "setembro", "outubro",   "novembro", "dezembro"};
const std::array<const char*, 12> kShortMonths = {"jan", "fev", "mar", "abr", "mai", "jun",
                                                  "jul", "ago", "set", "out", "nov", "dez"};
const std::array<const char*, 7> kLongDays = {"domingo",      "segunda-feira", "terça-feira",
                                              "quarta-feira", "quinta-feira",  "sexta-feira",
                                              "sábado"};
const std::array<const char*, 7> kShortDays = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};

std::string Pad(long long value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, value);
    return buf;
}

// Counts how many times `c` repeats (case-insensitively) from position i.
size_t RunLength(std::string_view f, size_t i) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
    size_t n = 0;
    while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) {
        ++n;
    }
    return n;
}

// A small cursor over a text being parsed as numbers and separators.
class Scanner {
public:
    explicit Scanner(std::string_view t) : text_(t) {}
    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
            ++pos_;
        }
    }
    bool Number(int maxDigits, int& out, int* digits = nullptr) {
        size_t n = 0;
        long value = 0;
        while (pos_ < text_.size() && n < static_cast<size_t>(maxDigits) &&
               std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
            ++n;
        }
        if (digits) {
            *digits = static_cast<int>(n);
        }
        out = static_cast<int>(value);
        return n > 0;
    }
    bool Char(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void SkipDigits() {
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    size_t pos() const { return pos_; }
    void seek(size_t p) { pos_ = p; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool ScanDate(Scanner& s, TDateTime& out) {
    int day = 0, month = 0, year = 0, yearDigits = 0;
    if (!s.Number(2, day) || !s.Char('/') || !s.Number(2, month)) {
        return false;
    }
    if (s.Char('/')) {
        if (!s.Number(4, year, &yearDigits) || (yearDigits != 2 && yearDigits != 4)) {
            return false;
        }
        if (yearDigits == 2) {
            year += year < 50 ? 2000 : 1900;
        }
    } else {
        year = DecodeDate(Date()).year;
    }
    return TryEncodeDate(year, month, day, out);
}

bool ScanTime(Scanner& s, TDateTime& out) {
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (!s.Number(2, hour) || !s.Char(':') || !s.Number(2, minute)) {
        return false;
    }
    if (s.Char(':')) {
        if (!s.Number(2, second)) {
            return false;
        }
        if (s.Char('.') || s.Char(',')) {
            int digits = 0;
            if (!s.Number(3, msec, &digits)) {
                return false;
            }
            for (; digits < 3; ++digits) {
                msec *= 10;
            }
            s.SkipDigits(); // finer than a millisecond is dropped
        }
    }
    return TryEncodeTime(hour, minute, second, msec, out);
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return false;
    }
    out = TDateTime(static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset));
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999) {
        return false;
    }
    out = TDateTime(((hour * 60.0 + minute) * 60.0 + second) * 1000.0 / kMsecsPerDay +
                    msec / kMsecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime dt;
    if (!TryEncodeDate(year, month, day, dt)) {
        throw EConvertError("Data inválida: " + Pad(day, 2) + "/" + Pad(month, 2) + "/" +
                            Pad(year, 4));
    }
    return dt;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime dt;
    if (!TryEncodeTime(hour, minute, second, msec, dt)) {
        throw EConvertError("Hora inválida: " + Pad(hour, 2) + ":" + Pad(minute, 2) + ":" +
                            Pad(second, 2));
    }
    return dt;
}

DateParts DecodeDate(TDateTime dt) {
    return CivilFromDays(ToStamp(dt).days + kEpochOffset);
}

TimeParts DecodeTime(TDateTime dt) {
    long long ms = ToStamp(dt).msec;
    TimeParts t;
    t.msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

int DayOfWeek(TDateTime dt) {
    // 1899-12-30 was a Saturday (7).
    const long long days = ToStamp(dt).days;
    return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
}

TDateTime DateOf(TDateTime dt) {
    return TDateTime(static_cast<double>(ToStamp(dt).days));
}

TDateTime CombineDateTime(TDateTime date, TDateTime time) {
    return FromStamp(ToStamp(date).days, static_cast<double>(ToStamp(time).msec) / kMsecsPerDay);
}

TDateTime Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    return CombineDateTime(
        EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
        EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms)));
}

TDateTime Date() {
    return DateOf(Now());
}

std::string FormatDateTime(std::string_view f, TDateTime dt) {
    const DateParts d = DecodeDate(dt);
    const TimeParts t = DecodeTime(dt);
    std::string out;
    bool lastWasHour = false;
    for (size_t i = 0; i < f.size();) {
        const char c = f[i];
        const char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            const size_t end = f.find(c, i + 1);
            const size_t stop = end == std::string_view::npos ? f.size() : end;
            out.append(f.substr(i + 1, stop - i - 1));
            i = stop == f.size() ? stop : stop + 1;
            continue;
        }
        const size_t n = std::isalpha(static_cast<unsigned char>(c)) ? RunLength(f, i) : 1;
        bool hour = false;
        switch (lc) {
        case 'd':
            if (n == 1 || n == 2) {
                out += n == 1 ? std::to_string(d.day) : Pad(d.day, 2);
            } else if (n == 3) {
                out += kShortDays[DayOfWeek(dt) - 1];
            } else {
                out += kLongDays[DayOfWeek(dt) - 1];
            }
            break;
        case 'm':
            if (lastWasHour && n <= 2) {
                out += n == 1 ? std::to_string(t.minute) : Pad(t.minute, 2);
            } else if (n <= 2) {
                out += n == 1 ? std::to_string(d.month) : Pad(d.month, 2);
            } else {
                out += n == 3 ? kShortMonths[d.month - 1] : kLongMonths[d.month - 1];
            }
            break;
        case 'y':
            out += n <= 2 ? Pad(d.year % 100, 2) : Pad(d.year, 4);
            break;
        case 'h':
            out += n == 1 ? std::to_string(t.hour) : Pad(t.hour, 2);
            hour = true;
            break;
        case 'n':
            out += n == 1 ? std::to_string(t.minute) : Pad(t.minute, 2);
            break;
        case 's':
            out += n == 1 ? std::to_string(t.second) : Pad(t.second, 2);
            break;
        case 'z':
            out += n < 3 ? std::to_string(t.msec) : Pad(t.msec, 3);
            break;
        default:
            out.append(f.substr(i, n));
            break;
        }
        if (std::isalpha(static_cast<unsigned char>(c))) {
            lastWasHour = hour;
        }
        i += n;
    }
    return out;
}

std::string DateToStr(TDateTime dt) {
    return FormatDateTime("dd/mm/yyyy", dt);
}

std::string DateTimeToStr(TDateTime dt) {
    if (ToStamp(dt).msec == 0) {
        return DateToStr(dt);
    }
    return FormatDateTime("dd/mm/yyyy hh:nn:ss", dt);
}

bool TryStrToDate(std::string_view text, TDateTime& out) {
    Scanner s(text);
    s.SkipBlanks();
    if (!ScanDate(s, out)) {
        return false;
    }
    s.SkipBlanks();
    return s.AtEnd();
}

bool TryStrToTime(std::string_view text, TDateTime& out) {
    Scanner s(text);
    s.SkipBlanks();
    if (!ScanTime(s, out)) {
        return false;
    }
    s.SkipBlanks();
    return s.AtEnd();
}

bool TryStrToDateTime(std::string_view text, TDateTime& out) {
    Scanner s(text);
    s.SkipBlanks();
    TDateTime date;
    if (!ScanDate(s, date)) {
        return TryStrToTime(text, out);
    }
    s.SkipBlanks();
    TDateTime time;
    if (!s.AtEnd() && !ScanTime(s, time)) {
        return false;
    }
    s.SkipBlanks();
    if (!s.AtEnd()) {
        return false;
    }
    out = CombineDateTime(date, time);
    return true;
}

TDateTime StrToDate(std::string_view text) {
    TDateTime dt;
    if (!TryStrToDate(text, dt)) {
        throw EConvertError(Quoted(text) + " não é uma data válida");
    }
    return dt;
}

TDateTime StrToTime(std::string_view text) {
    TDateTime dt;
    if (!TryStrToTime(text, dt)) {
        throw EConvertError(Quoted(text) + " não é uma hora válida");
    }
    return dt;
}

TDateTime StrToDateTime(std::string_view text) {
    TDateTime dt;
    if (!TryStrToDateTime(text, dt)) {
        throw EConvertError(Quoted(text) + " não é uma data e hora válida");
    }
    return dt;
}

std::string ToIsoText(TDateTime dt, bool withMillis, char separator) {
    TDateTime value = dt;
    if (!withMillis) {
        // Whole seconds: round the value itself so that 23:59:59.7 moves to the next day.
        const Stamp st = ToStamp(dt);
        const long long secs = (st.msec + 500) / 1000;
        value = FromStamp(st.days, static_cast<double>(secs) * 1000.0 / kMsecsPerDay);
        if (secs == 86400) {
            value = FromStamp(st.days + (dt.Value < 0 ? -1 : 1), 0.0);
        }
    }
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    std::string out = Pad(d.year, 4) + "-" + Pad(d.month, 2) + "-" + Pad(d.day, 2) + separator +
                      Pad(t.hour, 2) + ":" + Pad(t.minute, 2) + ":" + Pad(t.second, 2);
    if (withMillis) {
        out += "." + Pad(t.msec, 3);
    }
    return out;
}

bool TryParseIsoText(std::string_view text, TDateTime& out) {
    Scanner s(text);
    int year = 0, month = 0, day = 0, digits = 0;
    if (!s.Number(4, year, &digits) || digits != 4 || !s.Char('-') || !s.Number(2, month) ||
        !s.Char('-') || !s.Number(2, day)) {
        return false;
    }
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date)) {
        return false;
    }
    TDateTime time;
    if (!s.AtEnd()) {
        if (!s.Char(' ') && !s.Char('T')) {
            return false;
        }
        if (!ScanTime(s, time) || !s.AtEnd()) {
            return false;
        }
    }
    out = CombineDateTime(date, time);
    return true;
}
