#pragma once

#include "core/data_packet.h"

#include <nlohmann/json.hpp>

#include <string_view>

/// What the tree codec and the direct writer of the wire form share.
namespace packet_json_detail {
/// A field's description as the packet's "fields" list holds it.
nlohmann::json FieldToJson(const PacketField& f);
/// A change's state as a delta names it ("inserted", "modified", "deleted").
std::string_view StateName(RowState s);
} // namespace packet_json_detail
