// The wire form written directly, without a JSON tree: what large answers are made of.
#include "core/base64.h"
#include "core/exceptions.h"
#include "core/packet_json.h"
#include "core/packet_json_detail.h"
#include "core/text.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

using nlohmann::json;

namespace {

// A direct writer of the wire form: the DOM of the JSON library costs more than the
// query itself on large packets. It writes exactly what VariantToJson would.
class JsonWriter {
public:
    explicit JsonWriter(std::string& out) : out_(out) {}

    void Fields(const std::vector<PacketField>& list) {
        out_ += "{\"fields\":";
        json fields = json::array();
        for (const PacketField& f : list) {
            fields.push_back(packet_json_detail::FieldToJson(f));
        }
        out_ += fields.dump(-1, ' ', false, json::error_handler_t::replace);
    }

    void Value(const Variant& v) {
        switch (v.Type()) {
        case VarType::Null:
            out_ += "null";
            break;
        case VarType::Boolean:
            out_ += *v.Get<bool>() ? "true" : "false";
            break;
        case VarType::Integer:
            Number(*v.Get<std::int64_t>());
            break;
        case VarType::Float:
            Float(*v.Get<double>());
            break;
        case VarType::String:
            String(*v.Get<std::string>());
            break;
        case VarType::DateTime:
            out_ += "{\"$date\":\"";
            out_ += ToIsoText(*v.Get<TDateTime>(), true, 'T');
            out_ += "\"}";
            break;
        case VarType::Blob:
            out_ += "{\"$blob\":\"";
            out_ += Base64Encode(v.Get<Blob>()->bytes);
            out_ += "\"}";
            break;
        case VarType::Packet:
            out_ += "{\"$packet\":";
            Packet(v.AsPacket());
            out_ += '}';
            break;
        case VarType::Error:
            out_ += "{\"$error\":";
            String(v.Get<ServerError>()->text);
            out_ += '}';
            break;
        }
    }

    void Text(std::string_view s) { String(s); }

private:
    void Number(std::int64_t n) {
        char buf[24];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
        out_.append(buf, end);
    }

    void Float(double d) {
        if (!std::isfinite(d)) {
            throw EDataPacketError("Um número infinito ou indefinido não pode ser transmitido");
        }
        char buf[32];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
        std::string_view text(buf, static_cast<size_t>(end - buf));
        out_ += text;
        if (text.find_first_of(".eE") == std::string_view::npos) {
            out_ += ".0"; // stays a float when read back
        }
    }

    // Escapes for JSON; bytes that are not UTF-8 become U+FFFD.
    void String(std::string_view s) {
        out_ += '"';
        for (size_t i = 0; i < s.size();) {
            // Runs of plain characters go out in one piece.
            size_t run = i;
            while (run < s.size() && static_cast<unsigned char>(s[run]) >= 0x20 &&
                   static_cast<unsigned char>(s[run]) < 0x80 && s[run] != '"' && s[run] != '\\') {
                ++run;
            }
            if (run > i) {
                out_.append(s.substr(i, run - i));
                i = run;
                continue;
            }
            const auto c = static_cast<unsigned char>(s[i]);
            if (c < 0x80) {
                Ascii(static_cast<char>(c));
                ++i;
                continue;
            }
            const size_t len = c >= 0xC2 && c <= 0xDF   ? 2
                               : c >= 0xE0 && c <= 0xEF ? 3
                               : c >= 0xF0 && c <= 0xF4 ? 4
                                                        : 0;
            bool valid = len > 0 && i + len <= s.size();
            for (size_t k = 1; valid && k < len; ++k) {
                valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
            }
            if (valid && len == 3) {
                const auto d = static_cast<unsigned char>(s[i + 1]);
                valid = !(c == 0xE0 && d < 0xA0) && !(c == 0xED && d >= 0xA0);
            } else if (valid && len == 4) {
                const auto d = static_cast<unsigned char>(s[i + 1]);
                valid = !(c == 0xF0 && d < 0x90) && !(c == 0xF4 && d >= 0x90);
            }
            if (valid) {
                out_.append(s.substr(i, len));
                i += len;
            } else {
                out_ += "\xEF\xBF\xBD";
                ++i;
            }
        }
        out_ += '"';
    }

    void Ascii(char c) {
        switch (c) {
        case '"':
            out_ += "\\\"";
            return;
        case '\\':
            out_ += "\\\\";
            return;
        case '\n':
            out_ += "\\n";
            return;
        case '\r':
            out_ += "\\r";
            return;
        case '\t':
            out_ += "\\t";
            return;
        default:
            break;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            static const char* hex = "0123456789abcdef";
            out_ += "\\u00";
            out_ += hex[(c >> 4) & 0xF];
            out_ += hex[c & 0xF];
            return;
        }
        out_ += c;
    }

    void Row(const ::Row& row) {
        out_ += '[';
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) {
                out_ += ',';
            }
            Value(row[i]);
        }
        out_ += ']';
    }

    void Packet(const DataPacket& p) {
        Fields(p.fields);
        if (p.isDelta) {
            out_ += ",\"changes\":[";
            for (size_t c = 0; c < p.changes.size(); ++c) {
                const RowChange& change = p.changes[c];
                out_ += c ? ",{\"state\":\"" : "{\"state\":\"";
                out_ += packet_json_detail::StateName(change.state);
                out_ += '"';
                if (change.state != RowState::Inserted) {
                    out_ += ",\"old\":";
                    Row(change.oldValues);
                }
                if (change.state != RowState::Deleted) {
                    out_ += ",\"new\":";
                    Row(change.newValues);
                }
                out_ += '}';
            }
            out_ += "]}";
            return;
        }
        out_ += ",\"rows\":[";
        out_.reserve(out_.size() + p.rows.size() * p.fields.size() * 12);
        for (size_t r = 0; r < p.rows.size(); ++r) {
            if (r) {
                out_ += ',';
            }
            Row(p.rows[r]);
        }
        out_ += "]}";
    }

    std::string& out_;
};

} // namespace

void AppendVariantJson(std::string& out, const Variant& value) {
    JsonWriter(out).Value(value);
}

PacketRowsWriter::PacketRowsWriter(std::string& out, const std::vector<PacketField>& fields)
    : out_(out) {
    out_ += "{\"$packet\":";
    JsonWriter(out_).Fields(fields);
    out_ += ",\"rows\":[";
}

void PacketRowsWriter::BeginRow() {
    out_ += rows_++ ? ",[" : "[";
    cells_ = 0;
}

void PacketRowsWriter::Cell(const Variant& value) {
    if (cells_++) {
        out_ += ',';
    }
    JsonWriter(out_).Value(value);
}

void PacketRowsWriter::TextCell(std::string_view text) {
    if (cells_++) {
        out_ += ',';
    }
    JsonWriter(out_).Text(text);
}

void PacketRowsWriter::EndRow() {
    out_ += ']';
}

void PacketRowsWriter::Finish() {
    out_ += "]}}";
}

std::string EncodeVariant(const Variant& value) {
    std::string out;
    AppendVariantJson(out, value);
    return out;
}
