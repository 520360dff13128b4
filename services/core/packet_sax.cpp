#include "core/packet_sax.h"

#include "core/base64.h"

#include "core/exceptions.h"
#include "core/packet_json.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstring>

namespace {

using json = nlohmann::json;

// Reads the row packet the server writes, byte by byte, straight into its values: a load
// of many rows is read once, without a tree and without a general parser's overhead. The
// first surprise makes it decline (false), and the caller reads the text the ordinary
// way, which names the fault.
class RowReader {
public:
    explicit RowReader(std::string_view text, size_t at = 0) : s_(text), i_(at) {}
    size_t Position() const { return i_; }

    bool Read(DataPacket& packet) {
        if (!Literal("{") || !Key("$packet") || !Literal("{") || !Key("fields") ||
            !Fields(packet) || !Literal(",") || !Key("rows") || !Literal("[")) {
            return false;
        }
        if (!Peek(']')) {
            CompactRowBuilder row;
            do {
                if (!ReadRow(packet.fields, row)) {
                    return false;
                }
                packet.rows.push_back(row.Build());
            } while (Literal(","));
        }
        if (!Literal("]") || !Literal("}") || !Literal("}")) {
            return false;
        }
        Space();
        return i_ == s_.size();
    }

    // One row "[...]" of `fields`, into `row` (cleared first).
    bool ReadRow(const std::vector<PacketField>& fields, CompactRowBuilder& row) {
        const size_t width = fields.size();
        row.Clear();
        if (!Literal("[")) {
            return false;
        }
        if (!Peek(']')) {
            do {
                if (row.size() >= width || !Cell(fields[row.size()].type, row)) {
                    return false;
                }
            } while (Literal(","));
        }
        return Literal("]") && row.size() == width;
    }

    // The fields' list "[...]" and nothing after it.
    bool ReadFields(DataPacket& packet) {
        if (!Fields(packet)) {
            return false;
        }
        Space();
        return i_ == s_.size();
    }

    bool AtEnd() {
        Space();
        return i_ == s_.size();
    }

private:
    void Space() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) {
            ++i_;
        }
    }

    bool Peek(char c) {
        Space();
        return i_ < s_.size() && s_[i_] == c;
    }

    bool Literal(std::string_view token) {
        Space();
        if (s_.compare(i_, token.size(), token) != 0) {
            return false;
        }
        i_ += token.size();
        return true;
    }

    bool Key(std::string_view name) {
        scratch_.clear();
        return String(scratch_) && scratch_ == name && Literal(":");
    }

    // The fields are few: read the ordinary way, with all their checks.
    bool Fields(DataPacket& packet) {
        Space();
        const size_t start = i_;
        int depth = 0;
        for (; i_ < s_.size(); ++i_) {
            const char c = s_[i_];
            if (c == '"') {
                std::string ignored;
                if (!String(ignored)) {
                    return false;
                }
                --i_;
            } else if (c == '[' || c == '{') {
                ++depth;
            } else if ((c == ']' || c == '}') && --depth == 0) {
                ++i_;
                break;
            }
        }
        try {
            json wrapper = {{"fields", json::parse(s_.substr(start, i_ - start))},
                            {"rows", json::array()}};
            packet = PacketFromJson(wrapper);
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }

    static int Hex(char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    }

    bool Unicode(unsigned& code) {
        if (i_ + 4 > s_.size()) {
            return false;
        }
        code = 0;
        for (int k = 0; k < 4; ++k) {
            const int h = Hex(s_[i_++]);
            if (h < 0) {
                return false;
            }
            code = code * 16 + static_cast<unsigned>(h);
        }
        return true;
    }

    static void Append(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // The length of the valid UTF-8 sequence at `i`, or 0.
    size_t Utf8(size_t i) const {
        const auto c = static_cast<unsigned char>(s_[i]);
        const size_t len = c >= 0xC2 && c <= 0xDF   ? 2
                           : c >= 0xE0 && c <= 0xEF ? 3
                           : c >= 0xF0 && c <= 0xF4 ? 4
                                                    : 0;
        if (len == 0 || i + len > s_.size()) {
            return 0;
        }
        for (size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s_[i + k]) & 0xC0) != 0x80) {
                return 0;
            }
        }
        const auto d = static_cast<unsigned char>(s_[i + 1]);
        if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0) || (c == 0xF0 && d < 0x90) ||
            (c == 0xF4 && d >= 0x90)) {
            return 0;
        }
        return len;
    }

    bool String(std::string& out) {
        Space();
        if (i_ >= s_.size() || s_[i_] != '"') {
            return false;
        }
        ++i_;
        for (;;) {
            // Plain runs are copied whole.
            size_t run = i_;
            while (run < s_.size()) {
                const auto c = static_cast<unsigned char>(s_[run]);
                if (c == '"' || c == '\\' || c < 0x20) {
                    break;
                }
                if (c < 0x80) {
                    ++run;
                    continue;
                }
                const size_t len = Utf8(run);
                if (len == 0) {
                    return false;
                }
                run += len;
            }
            out.append(s_.data() + i_, run - i_);
            i_ = run;
            if (i_ >= s_.size()) {
                return false;
            }
            const char c = s_[i_++];
            if (c == '"') {
                return true;
            }
            if (c != '\\' || i_ >= s_.size()) {
                return false; // a control character, or a text cut short
            }
            switch (s_[i_++]) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = 0;
                if (!Unicode(code)) {
                    return false;
                }
                if (code >= 0xD800 && code <= 0xDBFF) {
                    unsigned low = 0;
                    if (s_.compare(i_, 2, "\\u") != 0 || (i_ += 2, !Unicode(low)) || low < 0xDC00 ||
                        low > 0xDFFF) {
                        return false;
                    }
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code <= 0xDFFF) {
                    return false;
                }
                Append(out, code);
                break;
            }
            default:
                return false;
            }
        }
    }

    // A JSON number token: its text and whether it has a fraction or an exponent.
    bool Number(std::string_view& token, bool& isFloat) {
        const size_t start = i_;
        if (i_ < s_.size() && s_[i_] == '-') {
            ++i_;
        }
        const size_t digits = i_;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') {
            ++i_;
        }
        if (i_ == digits || (s_[digits] == '0' && i_ - digits > 1)) {
            return false;
        }
        isFloat = false;
        if (i_ < s_.size() && s_[i_] == '.') {
            isFloat = true;
            const size_t fraction = ++i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') {
                ++i_;
            }
            if (i_ == fraction) {
                return false;
            }
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            isFloat = true;
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) {
                ++i_;
            }
            const size_t exponent = i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') {
                ++i_;
            }
            if (i_ == exponent) {
                return false;
            }
        }
        token = s_.substr(start, i_ - start);
        return true;
    }

    // {"$date":"..."} or {"$blob":"..."}: the one member's text, in scratch_.
    bool Wrapped(std::string_view name) {
        if (!Literal("{") || !Key(name)) {
            return false;
        }
        scratch_.clear();
        return String(scratch_) && Literal("}");
    }

    bool Cell(FieldType type, CompactRowBuilder& row) {
        Space();
        if (i_ >= s_.size()) {
            return false;
        }
        const char c = s_[i_];
        if (s_.compare(i_, 4, "null") == 0) {
            i_ += 4;
            row.AddNull();
            return true;
        }
        switch (type) {
        case FieldType::String:
        case FieldType::FixedString:
        case FieldType::Memo:
            // Decoded straight into the row's bytes.
            return c == '"' && String(row.BeginText());
        case FieldType::DateTime: {
            TDateTime dt;
            if (!Wrapped("$date") || !TryParseIsoText(scratch_, dt)) {
                return false;
            }
            row.AddDate(dt);
            return true;
        }
        case FieldType::Integer:
        case FieldType::Float: {
            std::string_view token;
            bool isFloat = false;
            if (!Number(token, isFloat)) {
                return false;
            }
            if (type == FieldType::Integer) {
                std::int64_t n = 0;
                const auto [end, ec] = std::from_chars(token.begin(), token.end(), n);
                if (isFloat || ec != std::errc() || end != token.end()) {
                    return false;
                }
                row.AddInteger(n);
                return true;
            }
            double d = 0;
            const auto [end, ec] = std::from_chars(token.begin(), token.end(), d);
            if (ec != std::errc() || end != token.end()) {
                return false;
            }
            row.AddFloat(d);
            return true;
        }
        case FieldType::Boolean:
            if (s_.compare(i_, 4, "true") == 0) {
                i_ += 4;
                row.AddBoolean(true);
                return true;
            }
            if (s_.compare(i_, 5, "false") == 0) {
                i_ += 5;
                row.AddBoolean(false);
                return true;
            }
            return false;
        case FieldType::Blob: {
            if (!Wrapped("$blob")) {
                return false;
            }
            try {
                row.AddBlob(Base64Decode(scratch_));
            } catch (const Exception&) {
                return false;
            }
            return true;
        }
        }
        return false;
    }

    std::string_view s_;
    size_t i_ = 0;
    std::string scratch_; ///< a key's or a wrapped value's text, kept from one to the next
};

// One row "[...]" of `fields` at `at` in `text`, into `row`; `end` is where it ends.
bool TryReadRowAt(std::string_view text, size_t at, const std::vector<PacketField>& fields,
                  CompactRowBuilder& row, size_t& end) {
    RowReader reader(text, at);
    if (!reader.ReadRow(fields, row)) {
        return false;
    }
    end = reader.Position();
    return true;
}

} // namespace

bool TryReadFields(std::string_view text, DataPacket& packet) {
    return RowReader(text).ReadFields(packet);
}

std::optional<DataPacket> TryReadRowPacket(std::string_view text) {
    DataPacket packet;
    if (!RowReader(text).Read(packet)) {
        return std::nullopt;
    }
    return packet;
}

namespace {

// Index just past the list or object that opens at `i` in `text`, or npos when it does
// not end within it.
// The closing quote of a string whose text starts at `i`. Rows are mostly long runs of
// plain text, so the quotes are looked for a block at a time and a quote is then judged by
// the backslashes just before it.
size_t EndOfString(std::string_view text, size_t i) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* p = begin + i; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(end - p)));
        if (p == nullptr) {
            return std::string_view::npos;
        }
        size_t slashes = 0;
        for (const char* q = p; q > begin + i && q[-1] == '\\'; --q) {
            ++slashes;
        }
        if (slashes % 2 == 0) {
            return static_cast<size_t>(p - begin);
        }
    }
    return std::string_view::npos;
}

size_t EndOfValue(std::string_view text, size_t i) {
    int depth = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            i = EndOfString(text, i + 1);
            if (i == std::string_view::npos) {
                return i;
            }
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if ((c == ']' || c == '}') && --depth == 0) {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

} // namespace

bool StreamedReplyReader::Feed(const char* data, size_t size) {
    pending_.append(data, size);
    if (state_ == State::Head && !ReadHead()) {
        return true; // either more is needed, or it is kept whole
    }
    if (state_ == State::Rows && !ReadRows()) {
        return state_ != State::Broken;
    }
    if (state_ == State::Tail || state_ == State::Done) {
        // After the rows only the closing of the list, the packet, the result and the
        // reply may come.
        constexpr std::string_view kEnd = "]}}}";
        std::string_view rest = std::string_view(pending_).substr(at_);
        const size_t start = rest.find_first_not_of(" \t\r\n");
        rest = start == std::string_view::npos ? std::string_view() : rest.substr(start);
        if (rest.size() > kEnd.size() || kEnd.substr(0, rest.size()) != rest) {
            state_ = State::Broken;
            return false;
        }
        state_ = rest == kEnd ? State::Done : State::Tail;
    }
    return true;
}

bool StreamedReplyReader::ReadHead() {
    const std::string prefix = "{\"id\":" + std::to_string(id_) +
                               ",\"jsonrpc\":\"2.0\",\"result\":{\"$packet\":{\"fields\":";
    const size_t have = std::min(pending_.size(), prefix.size());
    if (pending_.compare(0, have, prefix, 0, have) != 0) {
        state_ = State::Whole; // another shape, or another call's id: read whole
        return false;
    }
    if (pending_.size() <= prefix.size()) {
        return false;
    }
    const size_t fieldsEnd = EndOfValue(pending_, prefix.size());
    if (fieldsEnd == std::string_view::npos) {
        return false;
    }
    const std::string rows = ",\"rows\":[";
    if (pending_.size() < fieldsEnd + rows.size()) {
        return false;
    }
    if (pending_.compare(fieldsEnd, rows.size(), rows) != 0 ||
        !TryReadFields(std::string_view(pending_).substr(prefix.size(), fieldsEnd - prefix.size()),
                       packet_)) {
        state_ = State::Whole;
        return false;
    }
    at_ = fieldsEnd + rows.size();
    state_ = State::Rows;
    return true;
}

bool StreamedReplyReader::ReadRows() {
    const std::string_view text(pending_);
    for (;;) {
        size_t i = text.find_first_not_of(" \t\r\n", at_);
        if (i == std::string_view::npos) {
            break;
        }
        if (!packet_.rows.empty()) {
            if (text[i] == ']') {
                state_ = State::Tail;
                break;
            }
            if (text[i] != ',') {
                state_ = State::Broken;
                return false;
            }
            i = text.find_first_not_of(" \t\r\n", i + 1);
            if (i == std::string_view::npos) {
                break;
            }
        } else if (text[i] == ']') {
            state_ = State::Tail;
            break;
        }
        if (text[i] != '[') {
            state_ = State::Broken;
            return false;
        }
        // Read at once: nearly every row is whole. One that is not is looked at again
        // for its end, and waited for when it is still on its way.
        size_t end = i;
        if (!TryReadRowAt(text, i, packet_.fields, row_, end)) {
            if (EndOfValue(text, i) == std::string_view::npos) {
                break;
            }
            state_ = State::Broken;
            return false;
        }
        packet_.rows.push_back(row_.Build());
        at_ = end;
    }
    // What is read is let go: the text never holds more than a chunk and a row.
    pending_.erase(0, at_);
    at_ = 0;
    return state_ == State::Tail;
}
