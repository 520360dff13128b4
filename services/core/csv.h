#pragma once

#include <string>
#include <string_view>
#include <vector>

/// Text files that pt-BR spreadsheets open as they are: UTF-8 with its byte-order mark,
/// fields separated by ";", numbers with the decimal comma, lines ending in CR LF. A field
/// holding ";", a quote, a line break or a space at either end is quoted, its quotes
/// doubled.

/// The byte-order mark that tells a spreadsheet the file is UTF-8.
inline constexpr std::string_view kCsvBom = "\xEF\xBB\xBF";

/// One line of fields, with its CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

/// The lines of a text written so (a leading byte-order mark is skipped); a quoted field
/// may hold ";", quotes and line breaks.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

/// `value` with `decimals` digits after a decimal comma, no thousands separator.
std::string DecimalComma(double value, int decimals);
