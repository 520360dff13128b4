#include "core/data_packet.h"

#include "core/exceptions.h"
#include "core/text.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<FieldType, std::string_view>, 8> kTypeNames = {{
    {FieldType::String, "string"},
    {FieldType::FixedString, "fixedstring"},
    {FieldType::DateTime, "datetime"},
    {FieldType::Memo, "memo"},
    {FieldType::Blob, "blob"},
    {FieldType::Integer, "integer"},
    {FieldType::Float, "float"},
    {FieldType::Boolean, "boolean"},
}};

} // namespace

std::string_view FieldTypeName(FieldType type) {
    for (const auto& [t, name] : kTypeNames) {
        if (t == type) {
            return name;
        }
    }
    return "string";
}

bool TryParseFieldType(std::string_view name, FieldType& out) {
    for (const auto& [t, n] : kTypeNames) {
        if (n == name) {
            out = t;
            return true;
        }
    }
    return false;
}

int DataPacket::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (SameText(fields[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

Variant MakePacketVariant(DataPacket packet) {
    return Variant(std::make_shared<const DataPacket>(std::move(packet)));
}

bool ValueFitsType(const Variant& value, FieldType type) {
    switch (value.Type()) {
    case VarType::Null:
        return true;
    case VarType::String:
        return type == FieldType::String || type == FieldType::FixedString ||
               type == FieldType::Memo;
    case VarType::DateTime:
        return type == FieldType::DateTime;
    case VarType::Integer:
        return type == FieldType::Integer;
    case VarType::Float:
        return type == FieldType::Float;
    case VarType::Boolean:
        return type == FieldType::Boolean;
    case VarType::Blob:
        return type == FieldType::Blob;
    case VarType::Packet:
    case VarType::Error:
        return false;
    }
    return false;
}
