#include "core/text.h"

#include <optional>

namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length in bytes of the sequence that starts with `lead`.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        return 4;
    }
    return 1;
}

// Advances over one character, tolerating truncated or malformed sequences.
size_t NextChar(std::string_view text, size_t pos) {
    const size_t len = SequenceLength(static_cast<unsigned char>(text[pos]));
    size_t next = pos + 1;
    while (next < text.size() && next < pos + len &&
           IsContinuation(static_cast<unsigned char>(text[next]))) {
        ++next;
    }
    return next;
}

bool IsBlank(unsigned char c) {
    return c <= ' ';
}

// Latin-1 letters live in U+00C0..U+00FE, encoded as C3 80..C3 BE; upper and lower
// forms differ by 0x20, except the multiplication and division signs.
template <bool ToUpper> std::string ChangeCase(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            if (ToUpper && c >= 'a' && c <= 'z') {
                out[i] = static_cast<char>(c - 0x20);
            } else if (!ToUpper && c >= 'A' && c <= 'Z') {
                out[i] = static_cast<char>(c + 0x20);
            }
            continue;
        }
        if (c != 0xC3 || i + 1 >= out.size()) {
            continue;
        }
        const auto d = static_cast<unsigned char>(out[i + 1]);
        if (ToUpper && d >= 0xA0 && d <= 0xBE && d != 0xB7) {
            out[i + 1] = static_cast<char>(d - 0x20);
        } else if (!ToUpper && d >= 0x80 && d <= 0x9E && d != 0x97) {
            out[i + 1] = static_cast<char>(d + 0x20);
        }
        ++i;
    }
    return out;
}

} // namespace

size_t Utf8Length(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); pos = NextChar(text, pos)) {
        ++count;
    }
    return count;
}

size_t Utf8Offset(std::string_view text, size_t index) {
    size_t pos = 0;
    for (size_t n = 0; n < index && pos < text.size(); ++n) {
        pos = NextChar(text, pos);
    }
    return pos;
}

std::string Utf8Left(std::string_view text, size_t count) {
    return std::string(text.substr(0, Utf8Offset(text, count)));
}

std::string TrimLeft(std::string_view text) {
    size_t b = 0;
    while (b < text.size() && IsBlank(static_cast<unsigned char>(text[b]))) {
        ++b;
    }
    return std::string(text.substr(b));
}

std::string TrimRight(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && IsBlank(static_cast<unsigned char>(text[e - 1]))) {
        --e;
    }
    return std::string(text.substr(0, e));
}

std::string Trim(std::string_view text) {
    return TrimLeft(TrimRight(text));
}

std::string UpperCase(std::string_view text) {
    return ChangeCase<true>(text);
}

std::string LowerCase(std::string_view text) {
    return ChangeCase<false>(text);
}

namespace {

// Compares as UpperCase would while both texts are plain ASCII, which settles nearly every
// comparison of keys and codes without building an upper-case copy of either. Gives
// nullopt at the first byte outside ASCII, where only the full comparison can tell.
std::optional<bool> SameAsciiText(std::string_view a, std::string_view b) {
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            return std::nullopt;
        }
        const auto upper = [](unsigned char c) {
            return c >= 'a' && c <= 'z' ? c - 32 : c;
        };
        if (x != y && upper(x) != upper(y)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const std::optional<bool> ascii = SameAsciiText(a, b);
    return ascii ? *ascii : UpperCase(a) == UpperCase(b);
}

bool StartsText(std::string_view prefix, std::string_view text) {
    if (prefix.size() > text.size()) {
        return false;
    }
    const std::optional<bool> ascii = SameAsciiText(prefix, text.substr(0, prefix.size()));
    return ascii ? *ascii : UpperCase(text.substr(0, prefix.size())) == UpperCase(prefix);
}

std::u32string Utf8Decode(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t next = NextChar(text, pos);
        const auto lead = static_cast<unsigned char>(text[pos]);
        const size_t len = SequenceLength(lead);
        if (next - pos != len || (len == 1 && lead >= 0x80)) {
            out += U'\uFFFD';
        } else if (len == 1) {
            out += static_cast<char32_t>(lead);
        } else {
            char32_t c = lead & (0xFF >> (len + 1));
            for (size_t k = 1; k < len; ++k) {
                c = (c << 6) | (static_cast<unsigned char>(text[pos + k]) & 0x3F);
            }
            out += c;
        }
        pos = next;
    }
    return out;
}

std::string Utf8Encode(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

char32_t UpperChar(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return c - 0x20;
    }
    return c;
}

char32_t LowerChar(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    return c;
}

bool HasControlCharacters(std::string_view text, bool breaksAllowed) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool brk = c == '\t' || c == '\r' || c == '\n';
        if ((u < 0x20 && !(breaksAllowed && brk)) || u == 0x7F) {
            return true;
        }
    }
    return false;
}
