#pragma once

#include "framework/net/net_connection.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

/// Told how far a transfer got (bytes done of all); false stops it.
using TransferProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

/// A file to attach to an occurrence, read from `path` a part at a time.
struct AttachmentToSend {
    std::string branch, number;
    std::string path;
    std::string name;                     ///< as listed; the file's own name when empty
    std::optional<std::string> thumbnail; ///< a PNG picture of it, for images
};

/// Sends a file: its checksum is taken first (a read of the file), then the parts go one by
/// one and the server checks them whole. Gives "" or the reason nothing was stored (the
/// server's refusal, a file that cannot be read, or "stopped" when `progress` said so).
/// A call that fails on the way raises, as any call does.
std::string SendAttachment(TNetConnection& net, const AttachmentToSend& file,
                           const TransferProgress& progress = nullptr);

/// An attached file as listed by GetAnexos.
struct AttachedFile {
    std::string branch, number, name;
    std::int64_t attachment = 0, size = 0;
    std::string sha256;
};

/// Receives a file into `path`, written beside it first and put in place only once its
/// size and checksum match what was listed; "" or the reason (an existing `path` is then
/// left as it was).
std::string ReceiveAttachment(TNetConnection& net, const AttachedFile& file,
                              const std::string& path, const TransferProgress& progress = nullptr);
