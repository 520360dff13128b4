#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// Text helpers. Every text in the system is UTF-8; sizes of fields are counted in
/// characters (code points), never in bytes.

/// Number of code points. A malformed byte counts as one character.
size_t Utf8Length(std::string_view text);
/// The first `count` characters, never splitting a character.
std::string Utf8Left(std::string_view text, size_t count);
/// Byte offset of character number `index` (0-based), or text.size() past the end.
size_t Utf8Offset(std::string_view text, size_t index);

/// Whether the text holds a control character (C0 or DEL); tab, CR and LF count as text
/// when `breaksAllowed`.
bool HasControlCharacters(std::string_view text, bool breaksAllowed);

/// Drop leading/trailing characters up to the blank (control characters included),
/// as the desktop framework's Trim does.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

/// Upper/lower case of ASCII and of the Latin-1 letters used in Portuguese
/// (ç, á, ã, é, ...); other characters are left alone.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
/// True when `text` begins with `prefix`, ignoring case as UpperCase does.
bool StartsText(std::string_view prefix, std::string_view text);

/// Code points of a UTF-8 text (a malformed byte reads as U+FFFD) and back.
std::u32string Utf8Decode(std::string_view text);
std::string Utf8Encode(std::u32string_view text);
/// Case of one code point, with the same coverage as UpperCase/LowerCase.
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
