#pragma once

#include <compare>
#include <string>
#include <string_view>

/// A point in time as the host framework counts it: days since 1899-12-30, the fraction
/// being the time of day. Values before the epoch keep a positive time fraction
/// (-1.25 is 1899-12-29 06:00), as the desktop framework does.
struct TDateTime {
    double Value = 0.0;

    constexpr TDateTime() = default;
    constexpr explicit TDateTime(double v) : Value(v) {}
    auto operator<=>(const TDateTime&) const = default;
};

struct DateParts {
    int year = 1899, month = 12, day = 30;
};
struct TimeParts {
    int hour = 0, minute = 0, second = 0, msec = 0;
};

/// Raises EConvertError when the date does not exist (31/02, month 13, year 0).
TDateTime EncodeDate(int year, int month, int day);
/// Raises EConvertError for 25:00 and the like.
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
DateParts DecodeDate(TDateTime dt);
TimeParts DecodeTime(TDateTime dt);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
/// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime dt);
TDateTime DateOf(TDateTime dt);
/// Joins the date of one value with the time of day of another.
TDateTime CombineDateTime(TDateTime date, TDateTime time);

TDateTime Now();
TDateTime Date();

/// Format specifiers: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz, "/" and ":"
/// as the pt-BR separators, text in quotes copied as is. "m" right after "h"/"hh" means
/// minutes, as in the desktop framework. The names are pt-BR.
std::string FormatDateTime(std::string_view format, TDateTime dt);
/// dd/mm/yyyy
std::string DateToStr(TDateTime dt);
/// dd/mm/yyyy hh:nn:ss; the time is left out when it is midnight.
std::string DateTimeToStr(TDateTime dt);

/// Accepts d/m/yyyy (two-digit years pivot around 50: 49 is 2049, 50 is 1950).
/// Raises EConvertError "'<text>' não é uma data válida".
TDateTime StrToDate(std::string_view text);
/// Accepts h:n or h:n:s. Raises EConvertError "'<text>' não é uma hora válida".
TDateTime StrToTime(std::string_view text);
/// A date, optionally followed by blanks and a time.
/// Raises EConvertError "'<text>' não é uma data e hora válida".
TDateTime StrToDateTime(std::string_view text);
bool TryStrToDate(std::string_view text, TDateTime& out);
bool TryStrToTime(std::string_view text, TDateTime& out);
bool TryStrToDateTime(std::string_view text, TDateTime& out);

/// Storage form: "YYYY-MM-DD HH:MM:SS" (whole seconds, rounded), or with a "T" separator
/// and ".mmm" when `withMillis`.
std::string ToIsoText(TDateTime dt, bool withMillis = false, char separator = ' ');
/// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" with " " or "T" between.
bool TryParseIsoText(std::string_view text, TDateTime& out);
