#pragma once

#include "core/compact_row.h"
#include "core/variant.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Types a field can have in a packet and in a data set.
enum class FieldType { String, FixedString, DateTime, Memo, Blob, Integer, Float, Boolean };

/// "string", "fixedstring", "datetime", "memo", "blob", "integer", "float", "boolean".
std::string_view FieldTypeName(FieldType type);
bool TryParseFieldType(std::string_view name, FieldType& out);

/// Metadata of one column of a packet.
struct PacketField {
    PacketField() = default;
    PacketField(std::string n, FieldType t, int s = 0) : name(std::move(n)), type(t), size(s) {}

    std::string name;
    FieldType type = FieldType::String;
    int size = 0; ///< characters for string kinds; 0 means no limit
    std::string label;
    bool visible = true;
    bool required = false;
    bool readOnly = false;
    bool operator==(const PacketField&) const = default;
};

enum class RowState { Inserted, Modified, Deleted };

/// One entry of a delta: inserted rows carry `newValues`, deleted rows `oldValues`
/// (the values last accepted), modified rows both.
struct RowChange {
    RowState state = RowState::Inserted;
    Row oldValues;
    Row newValues;
    bool operator==(const RowChange&) const = default;
};

/// A data set's content (rows) or its pending changes (a delta: changes), with the
/// metadata of its columns. Values are in field order and of the field's type.
class DataPacket {
public:
    std::vector<PacketField> fields;
    CompactRows rows; ///< held compact: a large load costs about its size on the wire
    std::vector<RowChange> changes;
    bool isDelta = false;

    /// Index of the named field, ignoring case; -1 when absent.
    int FieldIndex(std::string_view name) const;
    bool operator==(const DataPacket&) const = default;
};

/// Wraps a packet into the variant that server calls pass around.
Variant MakePacketVariant(DataPacket packet);

/// True when `value` may be stored in a field of `type` as it is (null always may).
bool ValueFitsType(const Variant& value, FieldType type);
