// The tree form of the wire: variants and packets to and from JSON values, checked as they are
// read.
#include "core/packet_json.h"

#include "core/base64.h"
#include "core/exceptions.h"
#include "core/packet_json_detail.h"
#include "core/packet_sax.h"
#include "core/text.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <set>

using nlohmann::json;

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw EDataPacketError("Pacote de dados inválido: " + what);
}

const json& Member(const json& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end()) {
        Fail(where + " sem \"" + key + "\"");
    }
    return *it;
}

// The optional attributes of a field: a value of another type is refused by name, never
// converted and never echoed (it may be anything a client sent).
const json* Optional(const json& j, const char* key) {
    const auto it = j.find(key);
    return it == j.end() || it->is_null() ? nullptr : &*it;
}

std::int64_t OptionalInteger(const json& j, const char* key, const std::string& field,
                             std::int64_t fallback, std::int64_t max) {
    const json* v = Optional(j, key);
    if (!v) {
        return fallback;
    }
    if (!v->is_number_integer() || v->get<std::int64_t>() < 0 || v->get<std::int64_t>() > max) {
        Fail(field + " com \"" + key + "\" inválido");
    }
    return v->get<std::int64_t>();
}

std::string OptionalText(const json& j, const char* key, const std::string& field) {
    const json* v = Optional(j, key);
    if (!v) {
        return {};
    }
    if (!v->is_string()) {
        Fail(field + " com \"" + key + "\" inválido");
    }
    return v->get<std::string>();
}

bool OptionalFlag(const json& j, const char* key, const std::string& field, bool fallback) {
    const json* v = Optional(j, key);
    if (!v) {
        return fallback;
    }
    if (!v->is_boolean()) {
        Fail(field + " com \"" + key + "\" inválido");
    }
    return v->get<bool>();
}

PacketField FieldFromJson(const json& j, size_t index) {
    const std::string where = "campo " + std::to_string(index + 1);
    if (!j.is_object()) {
        Fail(where + " não é um objeto");
    }
    PacketField f;
    const json& name = Member(j, "name", where);
    const json& type = Member(j, "type", where);
    if (!name.is_string() || name.get_ref<const std::string&>().empty()) {
        Fail(where + " com nome inválido");
    }
    f.name = name.get<std::string>();
    if (!type.is_string() || !TryParseFieldType(type.get_ref<const std::string&>(), f.type)) {
        Fail(where + " com tipo desconhecido");
    }
    // The place, never the name: no answer repeats what a client sent.
    f.size = static_cast<int>(OptionalInteger(j, "size", where, 0, 1 << 30));
    f.label = OptionalText(j, "label", where);
    f.visible = OptionalFlag(j, "visible", where, true);
    f.required = OptionalFlag(j, "required", where, false);
    f.readOnly = OptionalFlag(j, "readOnly", where, false);
    return f;
}

// Where a row stands, put into words only when something is wrong with it.
struct Place {
    const char* what;
    size_t index;
    std::string Text() const { return std::string(what) + " " + std::to_string(index + 1); }
};

json DateToJson(TDateTime dt) {
    return json{{"$date", ToIsoText(dt, true, 'T')}};
}

// What a value is, in words: messages name the kind, never the value a client sent.
const char* KindName(const json& j) {
    switch (j.type()) {
    case json::value_t::null:
        return "nulo";
    case json::value_t::boolean:
        return "lógico";
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
        return "inteiro";
    case json::value_t::number_float:
        return "decimal";
    case json::value_t::string:
        return "de texto";
    case json::value_t::array:
        return "lista";
    case json::value_t::object:
        return "objeto";
    default:
        return "desconhecido";
    }
}

// Reads one cell knowing the type of its field, so that a date and a text, or an
// integer and a float, never get mixed up.
Variant CellFromJson(const json& j, const PacketField& field, Place where) {
    if (j.is_null()) {
        return {};
    }
    switch (field.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        if (j.is_string()) {
            return Variant(j.get<std::string>());
        }
        break;
    case FieldType::DateTime:
        if (j.is_object() && j.size() == 1 && j.contains("$date") && j["$date"].is_string()) {
            TDateTime dt;
            if (TryParseIsoText(j["$date"].get_ref<const std::string&>(), dt)) {
                return Variant(dt);
            }
        }
        break;
    case FieldType::Integer:
        if (j.is_number_integer()) {
            return Variant(j.get<std::int64_t>());
        }
        break;
    case FieldType::Float:
        if (j.is_number()) {
            return Variant(j.get<double>());
        }
        break;
    case FieldType::Boolean:
        if (j.is_boolean()) {
            return Variant(j.get<bool>());
        }
        break;
    case FieldType::Blob:
        if (j.is_object() && j.size() == 1 && j.contains("$blob") && j["$blob"].is_string()) {
            return Variant(Blob{Base64Decode(j["$blob"].get_ref<const std::string&>())});
        }
        break;
    }
    Fail(where.Text() + ": um valor " + KindName(j) + " não é do tipo " +
         std::string(FieldTypeName(field.type)) + " do campo " + field.name);
}

Row RowFromJson(const json& j, const std::vector<PacketField>& fields, Place where) {
    if (!j.is_array()) {
        Fail(where.Text() + " não é uma lista de valores");
    }
    if (j.size() != fields.size()) {
        Fail(where.Text() + " tem " + std::to_string(j.size()) + " valores, esperados " +
             std::to_string(fields.size()));
    }
    Row row;
    row.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        row.push_back(CellFromJson(j[i], fields[i], where));
    }
    return row;
}

json RowToJson(const Row& row) {
    json j = json::array();
    for (const Variant& v : row) {
        j.push_back(VariantToJson(v));
    }
    return j;
}

RowChange ChangeFromJson(const json& j, const std::vector<PacketField>& fields, size_t index) {
    const Place place{"alteração", index};
    const std::string where = place.Text();
    if (!j.is_object()) {
        Fail(where + " não é um objeto");
    }
    const json& state = Member(j, "state", where);
    RowChange change;
    if (state == "inserted") {
        change.state = RowState::Inserted;
    } else if (state == "modified") {
        change.state = RowState::Modified;
    } else if (state == "deleted") {
        change.state = RowState::Deleted;
    } else {
        Fail(where + " com estado desconhecido");
    }
    if (change.state != RowState::Inserted) {
        change.oldValues = RowFromJson(Member(j, "old", where), fields, place);
    }
    if (change.state != RowState::Deleted) {
        change.newValues = RowFromJson(Member(j, "new", where), fields, place);
    }
    return change;
}

} // namespace

std::string_view packet_json_detail::StateName(RowState s) {
    switch (s) {
    case RowState::Inserted:
        return "inserted";
    case RowState::Modified:
        return "modified";
    case RowState::Deleted:
        return "deleted";
    }
    return "inserted";
}

json packet_json_detail::FieldToJson(const PacketField& f) {
    json j = {{"name", f.name}, {"type", FieldTypeName(f.type)}};
    if (f.size > 0) {
        j["size"] = f.size;
    }
    if (!f.label.empty()) {
        j["label"] = f.label;
    }
    if (!f.visible) {
        j["visible"] = false;
    }
    if (f.required) {
        j["required"] = true;
    }
    if (f.readOnly) {
        j["readOnly"] = true;
    }
    return j;
}

json VariantToJson(const Variant& value) {
    switch (value.Type()) {
    case VarType::Null:
        return nullptr;
    case VarType::Boolean:
        return *value.Get<bool>();
    case VarType::Integer:
        return *value.Get<std::int64_t>();
    case VarType::Float: {
        const double d = *value.Get<double>();
        if (!std::isfinite(d)) {
            throw EDataPacketError("Um número infinito ou indefinido não pode ser transmitido");
        }
        return d;
    }
    case VarType::String:
        return *value.Get<std::string>();
    case VarType::DateTime:
        return DateToJson(*value.Get<TDateTime>());
    case VarType::Blob:
        return json{{"$blob", Base64Encode(value.Get<Blob>()->bytes)}};
    case VarType::Packet:
        return json{{"$packet", PacketToJson(value.AsPacket())}};
    case VarType::Error:
        return json{{"$error", value.Get<ServerError>()->text}};
    }
    return nullptr;
}

Variant VariantFromJson(const json& j) {
    switch (j.type()) {
    case json::value_t::null:
        return {};
    case json::value_t::boolean:
        return Variant(j.get<bool>());
    case json::value_t::number_integer:
        return Variant(j.get<std::int64_t>());
    case json::value_t::number_unsigned:
        if (j.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)) {
            Fail("número inteiro grande demais");
        }
        return Variant(j.get<std::int64_t>());
    case json::value_t::number_float:
        return Variant(j.get<double>());
    case json::value_t::string:
        return Variant(j.get<std::string>());
    case json::value_t::object:
        if (j.size() == 1 && j.contains("$date") && j["$date"].is_string()) {
            TDateTime dt;
            if (!TryParseIsoText(j["$date"].get_ref<const std::string&>(), dt)) {
                Fail("data inválida");
            }
            return Variant(dt);
        }
        if (j.size() == 1 && j.contains("$blob") && j["$blob"].is_string()) {
            return Variant(Blob{Base64Decode(j["$blob"].get_ref<const std::string&>())});
        }
        if (j.size() == 1 && j.contains("$error") && j["$error"].is_string()) {
            return Variant(ServerError{j["$error"].get<std::string>()});
        }
        if (j.size() == 1 && j.contains("$packet")) {
            return MakePacketVariant(PacketFromJson(j["$packet"]));
        }
        Fail("objeto desconhecido");
    default:
        Fail(std::string("valor desconhecido (") + KindName(j) + ")");
    }
}

json PacketToJson(const DataPacket& packet) {
    json fields = json::array();
    for (const PacketField& f : packet.fields) {
        fields.push_back(packet_json_detail::FieldToJson(f));
    }
    json j = {{"fields", std::move(fields)}};
    if (packet.isDelta) {
        json changes = json::array();
        for (const RowChange& c : packet.changes) {
            json entry = {{"state", packet_json_detail::StateName(c.state)}};
            if (c.state != RowState::Inserted) {
                entry["old"] = RowToJson(c.oldValues);
            }
            if (c.state != RowState::Deleted) {
                entry["new"] = RowToJson(c.newValues);
            }
            changes.push_back(std::move(entry));
        }
        j["changes"] = std::move(changes);
        return j;
    }
    json rows = json::array();
    for (const Row& r : packet.rows) {
        rows.push_back(RowToJson(r));
    }
    j["rows"] = std::move(rows);
    return j;
}

DataPacket PacketFromJson(const json& j) {
    if (!j.is_object()) {
        Fail("o pacote não é um objeto");
    }
    const json& fields = Member(j, "fields", "o pacote");
    if (!fields.is_array()) {
        Fail("\"fields\" não é uma lista");
    }
    DataPacket packet;
    packet.fields.reserve(fields.size());
    std::set<std::string> names;
    for (size_t i = 0; i < fields.size(); ++i) {
        packet.fields.push_back(FieldFromJson(fields[i], i));
        // A name given twice leaves a reader to pick one copy and a writer the other: one
        // value would be checked and another stored.
        if (!names.insert(UpperCase(packet.fields.back().name)).second) {
            Fail("campo " + std::to_string(i + 1) + " repete o nome de outro");
        }
    }
    const bool hasRows = j.contains("rows");
    const bool hasChanges = j.contains("changes");
    if (hasRows == hasChanges) {
        Fail("o pacote deve ter \"rows\" ou \"changes\", e não os dois");
    }
    if (hasChanges) {
        packet.isDelta = true;
        const json& changes = j["changes"];
        if (!changes.is_array()) {
            Fail("\"changes\" não é uma lista");
        }
        packet.changes.reserve(changes.size());
        for (size_t i = 0; i < changes.size(); ++i) {
            packet.changes.push_back(ChangeFromJson(changes[i], packet.fields, i));
        }
        return packet;
    }
    const json& rows = j["rows"];
    if (!rows.is_array()) {
        Fail("\"rows\" não é uma lista");
    }
    packet.rows.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        packet.rows.push_back(RowFromJson(rows[i], packet.fields, Place{"linha", i}));
    }
    return packet;
}

Variant DecodeVariant(std::string_view text) {
    // The large answers (a packet of rows) are read without a JSON tree; anything the
    // fast reader does not take is read the ordinary way, with its checks and messages.
    if (std::optional<DataPacket> packet = TryReadRowPacket(text)) {
        return MakePacketVariant(std::move(*packet));
    }
    return VariantFromJson(ParseJsonText(text));
}
