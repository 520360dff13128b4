#include "core/packet_sax.h"

#include "core/packet_json.h"

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

// Events in the order the writer produces them; the first surprise stops the reading.
class RowPacketReader : public nlohmann::json_sax<json> {
public:
    DataPacket packet;
    bool complete = false;

    bool null() override { return Cell(Variant(), nullptr); }
    bool boolean(bool v) override { return Cell(Variant(v), nullptr) || FieldFlag(v); }
    bool number_integer(number_integer_t v) override {
        return Number(static_cast<double>(v), v, true);
    }
    bool number_unsigned(number_unsigned_t v) override {
        return v <= static_cast<number_unsigned_t>(INT64_MAX) &&
               Number(static_cast<double>(v), static_cast<std::int64_t>(v), true);
    }
    bool number_float(number_float_t v, const string_t&) override { return Number(v, 0, false); }
    bool string(string_t& v) override;
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override;
    bool key(string_t& k) override;
    bool end_object() override;
    bool start_array(std::size_t) override;
    bool end_array() override;
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    enum State {
        Top,
        TopObject,
        PacketValue,
        PacketObject,
        FieldsArray,
        FieldObject,
        RowsArray,
        RowArray,
        CellObject,
        End
    };

    bool Cell(Variant v, const char*);
    bool Number(double d, std::int64_t i, bool isInteger);
    bool FieldFlag(bool v);
    bool FieldValue(const std::string& text);

    State state_ = Top;
    std::string key_;
    PacketField field_;
    Row row_;
    std::string cellKey_;
    bool cellDone_ = false;
    bool typeSeen_ = false;
    bool haveFields_ = false;
    bool haveRows_ = false;
};

bool RowPacketReader::start_object(std::size_t) {
    switch (state_) {
    case Top:
        state_ = TopObject;
        return true;
    case PacketValue:
        state_ = PacketObject;
        return true;
    case FieldsArray:
        field_ = PacketField();
        typeSeen_ = false;
        state_ = FieldObject;
        return true;
    case RowArray:
        state_ = CellObject;
        cellKey_.clear();
        cellDone_ = false;
        return true;
    default:
        return false;
    }
}

bool RowPacketReader::key(string_t& k) {
    switch (state_) {
    case TopObject:
        if (k != "$packet") {
            return false;
        }
        state_ = PacketValue;
        return true;
    case PacketObject:
        if (k == "fields" && !haveFields_) {
            key_ = k;
            return true;
        }
        if (k == "rows" && haveFields_ && !haveRows_) {
            key_ = k;
            return true;
        }
        return false;
    case FieldObject:
        key_ = k;
        return true;
    case CellObject:
        if (cellDone_ || !cellKey_.empty() || (k != "$date" && k != "$blob")) {
            return false;
        }
        cellKey_ = k;
        return true;
    default:
        return false;
    }
}

bool RowPacketReader::end_object() {
    switch (state_) {
    case FieldObject:
        if (field_.name.empty() || !typeSeen_) {
            return false;
        }
        packet.fields.push_back(field_);
        state_ = FieldsArray;
        return true;
    case CellObject:
        if (!cellDone_) {
            return false;
        }
        state_ = RowArray;
        return true;
    case PacketObject:
        state_ = haveFields_ && haveRows_ ? End : Top;
        return state_ == End;
    case End:
        complete = true;
        return true;
    default:
        return false;
    }
}

bool RowPacketReader::start_array(std::size_t) {
    if (state_ == PacketObject && key_ == "fields") {
        state_ = FieldsArray;
        return true;
    }
    if (state_ == PacketObject && key_ == "rows") {
        state_ = RowsArray;
        return true;
    }
    if (state_ == RowsArray) {
        row_.clear();
        row_.reserve(packet.fields.size());
        state_ = RowArray;
        return true;
    }
    return false;
}

bool RowPacketReader::end_array() {
    switch (state_) {
    case FieldsArray:
        haveFields_ = true;
        key_.clear();
        state_ = PacketObject;
        return true;
    case RowArray:
        if (row_.size() != packet.fields.size()) {
            return false;
        }
        packet.rows.push_back(std::move(row_));
        row_ = Row();
        state_ = RowsArray;
        return true;
    case RowsArray:
        haveRows_ = true;
        key_.clear();
        state_ = PacketObject;
        return true;
    default:
        return false;
    }
}

bool RowPacketReader::FieldValue(const std::string& text) {
    if (key_ == "name") {
        field_.name = text;
    } else if (key_ == "type") {
        if (!TryParseFieldType(text, field_.type)) {
            return false;
        }
        typeSeen_ = true;
    } else if (key_ == "label") {
        field_.label = text;
    } else {
        return false;
    }
    return true;
}

bool RowPacketReader::FieldFlag(bool v) {
    if (state_ != FieldObject) {
        return false;
    }
    if (key_ == "visible") {
        field_.visible = v;
    } else if (key_ == "required") {
        field_.required = v;
    } else if (key_ == "readOnly") {
        field_.readOnly = v;
    } else {
        return false;
    }
    return true;
}

bool RowPacketReader::Number(double d, std::int64_t i, bool isInteger) {
    if (state_ == FieldObject) {
        if (key_ != "size" || !isInteger || i < 0 || i > INT32_MAX) {
            return false;
        }
        field_.size = static_cast<int>(i);
        return true;
    }
    if (state_ != RowArray || row_.size() >= packet.fields.size()) {
        return false;
    }
    const FieldType type = packet.fields[row_.size()].type;
    if (type == FieldType::Integer && isInteger) {
        row_.emplace_back(i);
        return true;
    }
    if (type == FieldType::Float) {
        row_.emplace_back(d);
        return true;
    }
    return false;
}

bool RowPacketReader::Cell(Variant v, const char*) {
    if (state_ != RowArray || row_.size() >= packet.fields.size()) {
        return false;
    }
    const FieldType type = packet.fields[row_.size()].type;
    if (!v.IsNull() && !(v.Type() == VarType::Boolean && type == FieldType::Boolean)) {
        return false;
    }
    row_.push_back(std::move(v));
    return true;
}

bool RowPacketReader::string(string_t& v) {
    if (state_ == FieldObject) {
        return FieldValue(v);
    }
    if (state_ == CellObject) {
        if (cellDone_ || cellKey_.empty()) {
            return false;
        }
        const FieldType type = packet.fields[row_.size()].type;
        if (cellKey_ == "$date" && type == FieldType::DateTime) {
            TDateTime dt;
            if (!TryParseIsoText(v, dt)) {
                return false;
            }
            row_.emplace_back(dt);
        } else if (cellKey_ == "$blob" && type == FieldType::Blob) {
            try {
                row_.emplace_back(Blob{Base64Decode(v)});
            } catch (const std::exception&) {
                return false;
            }
        } else {
            return false;
        }
        cellDone_ = true; // the cell object holds just this one member
        return true;
    }
    if (state_ != RowArray || row_.size() >= packet.fields.size()) {
        return false;
    }
    const FieldType type = packet.fields[row_.size()].type;
    if (type != FieldType::String && type != FieldType::FixedString && type != FieldType::Memo) {
        return false;
    }
    row_.emplace_back(std::move(v));
    return true;
}

} // namespace

std::optional<DataPacket> TryReadRowPacket(std::string_view text) {
    RowPacketReader reader;
    bool ok = false;
    try {
        ok = json::sax_parse(text, &reader);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!ok || !reader.complete) {
        return std::nullopt;
    }
    return std::move(reader.packet);
}
