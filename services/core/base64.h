#pragma once

#include <string>
#include <string_view>

/// Blobs on the wire: standard base64 with padding.
std::string Base64Encode(std::string_view bytes);
/// Raises EDataPacketError on a character outside the alphabet or a bad length.
std::string Base64Decode(std::string_view text);
