#include "core/file_kind.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <initializer_list>

namespace {

struct Known {
    const char* mime;
    const char* label;
    bool image;
    std::initializer_list<const char*> extensions;
};

// Every kind a person attaches to a complaint: pictures, PDFs, office documents and text.
const std::array<Known, 19> kKinds = {{
    {"image/png", "imagem PNG", true, {"png"}},
    {"image/jpeg", "imagem JPEG", true, {"jpg", "jpeg", "jpe", "jfif"}},
    {"image/gif", "imagem GIF", true, {"gif"}},
    {"image/bmp", "imagem BMP", true, {"bmp"}},
    {"image/tiff", "imagem TIFF", true, {"tif", "tiff"}},
    {"image/webp", "imagem WebP", true, {"webp"}},
    {"application/pdf", "documento PDF", false, {"pdf"}},
    {"application/vnd.openxmlformats-officedocument.wordprocessingml.document",
     "documento do Word",
     false,
     {"docx"}},
    {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
     "planilha do Excel",
     false,
     {"xlsx"}},
    {"application/vnd.openxmlformats-officedocument.presentationml.presentation",
     "apresentação do PowerPoint",
     false,
     {"pptx"}},
    {"application/vnd.oasis.opendocument.text", "documento ODF", false, {"odt"}},
    {"application/vnd.oasis.opendocument.spreadsheet", "planilha ODF", false, {"ods"}},
    {"application/vnd.oasis.opendocument.presentation", "apresentação ODF", false, {"odp"}},
    {"application/zip", "arquivo compactado ZIP", false, {"zip"}},
    {"application/msword", "documento do Word 97", false, {"doc"}},
    {"application/vnd.ms-excel", "planilha do Excel 97", false, {"xls"}},
    {"application/vnd.ms-powerpoint", "apresentação do PowerPoint 97", false, {"ppt"}},
    {"application/vnd.ms-outlook", "mensagem do Outlook", false, {"msg"}},
    {"text/plain", "texto", false, {"txt", "csv", "log"}},
}};

const Known* ByMime(std::string_view mime) {
    for (const Known& k : kKinds) {
        if (mime == k.mime) {
            return &k;
        }
    }
    return nullptr;
}

FileKind Make(std::string_view mime) {
    const Known* k = ByMime(mime);
    return k ? FileKind{k->mime, k->label, k->image} : FileKind{};
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// One of `mimes` chosen by the name's extension; the first when the name names none of
// them (the content says no more than "one of these").
FileKind ByExtension(std::string_view name, std::initializer_list<const char*> mimes) {
    const std::string extension = ExtensionOf(name);
    for (const char* mime : mimes) {
        const Known* k = ByMime(mime);
        if (std::find(k->extensions.begin(), k->extensions.end(), extension) !=
            k->extensions.end()) {
            return Make(mime);
        }
    }
    return Make(*mimes.begin());
}

// An OpenDocument file starts with an uncompressed "mimetype" entry that names its kind.
FileKind ZipKind(std::string_view head, std::string_view name) {
    constexpr std::string_view kEntry = "mimetype";
    if (head.size() > 30 + kEntry.size() && head.substr(30, kEntry.size()) == kEntry) {
        const std::string_view rest = head.substr(30 + kEntry.size());
        for (const char* mime : {"application/vnd.oasis.opendocument.text",
                                 "application/vnd.oasis.opendocument.spreadsheet",
                                 "application/vnd.oasis.opendocument.presentation"}) {
            if (StartsWith(rest, mime) && (rest.size() == std::string_view(mime).size() ||
                                           rest[std::string_view(mime).size()] != '-')) {
                return Make(mime);
            }
        }
        return {};
    }
    return ByExtension(
        name, {"application/zip",
               "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
               "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
               "application/vnd.openxmlformats-officedocument.presentationml.presentation"});
}

// Text is UTF-8 without control characters other than tab, line ends and form feed; a
// character cut by the end of the head is not held against it.
bool LooksLikeText(std::string_view head) {
    if (head.empty()) {
        return false;
    }
    for (size_t i = 0; i < head.size();) {
        const auto c = static_cast<unsigned char>(head[i]);
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') {
                return false;
            }
            ++i;
            continue;
        }
        const size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (length == 0 || c > 0xF4) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if (i + k >= head.size()) {
                return true;
            }
            if ((static_cast<unsigned char>(head[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace

std::string ExtensionOf(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) {
        name = name.substr(slash + 1);
    }
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return "";
    }
    std::string out(name.substr(dot + 1));
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

FileKind SniffFileKind(std::string_view head, std::string_view name) {
    if (StartsWith(head, "\x89PNG\r\n\x1a\n")) {
        return Make("image/png");
    }
    if (StartsWith(head, "\xFF\xD8\xFF")) {
        return Make("image/jpeg");
    }
    if (StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a")) {
        return Make("image/gif");
    }
    if (StartsWith(head, "BM") && head.size() >= 26 && head[6] == 0 && head[7] == 0 &&
        head[8] == 0 && head[9] == 0) {
        return Make("image/bmp"); // the two reserved words of a bitmap's header are zero
    }
    if (StartsWith(head, std::string_view("II*\0", 4)) ||
        StartsWith(head, std::string_view("MM\0*", 4))) {
        return Make("image/tiff");
    }
    if (StartsWith(head, "RIFF") && head.size() >= 12 && head.substr(8, 4) == "WEBP") {
        return Make("image/webp");
    }
    if (StartsWith(head, "%PDF-")) {
        return Make("application/pdf");
    }
    if (StartsWith(head, "PK\x03\x04")) {
        return ZipKind(head, name);
    }
    if (StartsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        return ByExtension(name, {"application/msword", "application/vnd.ms-excel",
                                  "application/vnd.ms-powerpoint", "application/vnd.ms-outlook"});
    }
    if (StartsWith(head, "#!") || StartsWith(head, "MZ")) {
        return {}; // scripts and programs are never evidence
    }
    if (StartsWith(head, "\xEF\xBB\xBF")) {
        head.remove_prefix(3);
    }
    return LooksLikeText(head) ? Make("text/plain") : FileKind{};
}

bool NameAgreesWith(std::string_view name, const FileKind& kind) {
    const std::string extension = ExtensionOf(name);
    if (extension.empty()) {
        return true;
    }
    const Known* k = ByMime(kind.mime);
    return k &&
           std::find(k->extensions.begin(), k->extensions.end(), extension) != k->extensions.end();
}

namespace {

std::string OneDecimal(double value, const char* unit) {
    char text[40];
    std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    std::string out = text;
    std::replace(out.begin(), out.end(), '.', ',');
    return out;
}

} // namespace

std::string SizeText(std::int64_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes) + " bytes";
    }
    if (bytes < (1 << 20)) {
        return OneDecimal(static_cast<double>(bytes) / 1024, "KB");
    }
    return MegabytesText(bytes);
}

std::string MegabytesText(std::int64_t bytes) {
    return OneDecimal(static_cast<double>(bytes) / (1 << 20), "MB");
}
