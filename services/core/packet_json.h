#pragma once

#include "core/data_packet.h"
#include "core/variant.h"

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// The JSON form of variants and packets on the wire:
///   null, booleans, numbers and strings as themselves;
///   a date-time as {"$date":"2026-12-07T14:30:00.000"} (local time, no zone);
///   a blob as {"$blob":"<base64>"}; an error reported in a result as {"$error":"text"};
///   a packet as {"$packet":{"fields":[...],"rows":[[...]]}}, or with "changes" for a delta.
/// Decoding raises EDataPacketError naming what is wrong and where.

nlohmann::json VariantToJson(const Variant& value);
Variant VariantFromJson(const nlohmann::json& json);

nlohmann::json PacketToJson(const DataPacket& packet);
DataPacket PacketFromJson(const nlohmann::json& json);

/// Whole-text helpers; DecodeVariant also reports JSON syntax errors as EDataPacketError.
/// Text that is not valid UTF-8 is written with U+FFFD in place of the bad bytes.
std::string EncodeVariant(const Variant& value);
/// Appends the JSON form of `value` to `out` (large answers are written this way).
void AppendVariantJson(std::string& out, const Variant& value);
Variant DecodeVariant(std::string_view text);

/// Writes the wire form of a packet of rows piece by piece, as the rows are read, without
/// holding them: the same text AppendVariantJson gives for the whole packet.
class PacketRowsWriter {
public:
    PacketRowsWriter(std::string& out, const std::vector<PacketField>& fields);
    void BeginRow();
    void Cell(const Variant& value);
    /// A cell of text, written as Cell(Variant(text)) would write it.
    void TextCell(std::string_view text);
    void EndRow();
    void Finish();
    size_t Rows() const { return rows_; }

private:
    std::string& out_;
    size_t rows_ = 0;
    size_t cells_ = 0;
};

/// The deepest nesting of lists and objects a wire text may have: far above any packet,
/// far below what would exhaust a thread's stack in code that walks a tree.
constexpr int kMaxJsonDepth = 64;
/// Whether no list or object in `text` lies deeper than `maxDepth` (linear, no tree).
bool JsonDepthWithin(std::string_view text, int maxDepth);
/// Parses a wire text into a JSON tree: too deep a text, a syntax error or a number out
/// of range raise EDataPacketError with a pt-BR text that repeats nothing of the input.
nlohmann::json ParseJsonText(std::string_view text);

/// The members of a JSON object text, each name with the text of its value, found without
/// reading the values (an answer's large result is then read once, by the fast reader).
/// False when `text` is not an object of well-formed members; names with escapes are
/// given as written.
bool SplitObjectMembers(std::string_view text,
                        std::vector<std::pair<std::string_view, std::string_view>>& members);
