#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// What a file is, judged by its first bytes (its name never decides it).
struct FileKind {
    std::string mime;  ///< "image/png"; "" when the content is not of an accepted kind
    std::string label; ///< what a person reads: "imagem PNG", "documento PDF"
    bool image = false;
};

/// The kind of a file from its first bytes (at least the first 4 KB when the file has them)
/// and, only where the content leaves it open (a zip or compound office document), the
/// extension of `name`. Executables, archives of unknown use and binary data are not
/// accepted kinds.
FileKind SniffFileKind(std::string_view head, std::string_view name);

/// Whether the extension of `name` belongs to `kind` ("foto.JPG" to a JPEG picture). A
/// name without an extension agrees with any kind.
bool NameAgreesWith(std::string_view name, const FileKind& kind);

/// The lower-case extension of `name` without its dot; "" without one.
std::string ExtensionOf(std::string_view name);

/// A file's size as a person reads it: "512 bytes", "2,9 KB", "5,0 MB".
std::string SizeText(std::int64_t bytes);
/// The same always in megabytes ("25,0 MB"), for limits and refusals.
std::string MegabytesText(std::int64_t bytes);
