#pragma once

#include "core/data_packet.h"

#include <optional>
#include <string_view>

/// Reads the common large answer, {"$packet":{"fields":[...],"rows":[[...]]}}, straight
/// into a packet without building a JSON tree. Anything else, or anything wrong, gives
/// nullopt, and the caller reads the text the ordinary way (which names the error).
std::optional<DataPacket> TryReadRowPacket(std::string_view text);
