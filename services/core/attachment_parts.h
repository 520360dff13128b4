#pragma once

#include <cstddef>

/// An attached file travels between desktop and server in parts of this size (the last
/// one shorter), so that neither ever holds a whole file.
constexpr std::size_t kAttachmentPartBytes = 1 << 20;
/// A file's thumbnail, a PNG picture sent with it, is at most this large.
constexpr std::size_t kAttachmentThumbnailBytes = 64 * 1024;
