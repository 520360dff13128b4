#include "core/markup.h"

#include "core/text.h"

#include <utility>

namespace {

// The character of "&#231;" at `at`, or 0 when the text there is no decimal reference to
// a character (no digits, a control character, a surrogate, past U+10FFFF).
char32_t NumberedCharacter(const std::string& rich, size_t at) {
    if (rich.compare(at, 2, "&#") != 0) {
        return 0;
    }
    const size_t semi = rich.find(';', at);
    if (semi == std::string::npos || semi - at > 8 || semi == at + 2) {
        return 0;
    }
    unsigned long value = 0;
    for (size_t k = at + 2; k < semi; ++k) {
        if (rich[k] < '0' || rich[k] > '9') {
            return 0;
        }
        value = value * 10 + static_cast<unsigned long>(rich[k] - '0');
    }
    const bool control = value < 0x20 && value != '\t';
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (control || surrogate || value > 0x10FFFF) {
        return 0;
    }
    return static_cast<char32_t>(value);
}

} // namespace

std::string StripMarkup(const std::string& whole) {
    if (whole.find('<') == std::string::npos) {
        return whole;
    }
    // A full document (as the desktop's editor writes it) shows only its body; a style
    // sheet is no text either.
    std::string rich = whole;
    if (const size_t body = rich.find("<body"); body != std::string::npos) {
        const size_t open = rich.find('>', body);
        rich = open == std::string::npos ? std::string() : rich.substr(open + 1);
    }
    for (size_t style = rich.find("<style"); style != std::string::npos;
         style = rich.find("<style")) {
        const size_t end = rich.find("</style>", style);
        rich.erase(style, end == std::string::npos ? std::string::npos : end + 8 - style);
    }
    std::string out;
    for (size_t i = 0; i < rich.size();) {
        if (rich[i] == '<') {
            const size_t end = rich.find('>', i);
            const std::string tag =
                rich.substr(i + 1, (end == std::string::npos ? rich.size() : end) - i - 1);
            if (tag.rfind("br", 0) == 0 || tag == "/p" || tag == "/li" || tag == "/div") {
                out += '\n';
            }
            i = end == std::string::npos ? rich.size() : end + 1;
            continue;
        }
        if (rich[i] == '&') {
            static const std::pair<const char*, const char*> kEntities[] = {
                {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&nbsp;", " "}};
            bool decoded = false;
            for (const auto& [entity, text] : kEntities) {
                if (rich.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                    out += text;
                    i += std::char_traits<char>::length(entity);
                    decoded = true;
                    break;
                }
            }
            if (decoded) {
                continue;
            }
            if (const char32_t c = NumberedCharacter(rich, i); c != 0) {
                // A character by number, as editors write what is outside ASCII.
                out += Utf8Encode(std::u32string(1, c));
                i = rich.find(';', i) + 1;
                continue;
            }
        }
        if (rich[i] == '\n' || rich[i] == '\r') {
            ++i; // a line break in the markup's source is no text: its tags make the lines
            continue;
        }
        out += rich[i++];
    }
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}
