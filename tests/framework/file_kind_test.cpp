// A file's kind is read from its first bytes; the name only picks among the office kinds
// that share a container, and must not contradict the content.
#include "core/file_kind.h"

#include <gtest/gtest.h>

namespace {

TEST(FileKind, TheContentDecidesAndTheNameMustAgree) {
    const std::string odt = std::string("PK\x03\x04", 4) + std::string(26, '\0') + "mimetype" +
                            "application/vnd.oasis.opendocument.text";
    const struct {
        std::string head;
        const char* name;
        const char* mime; ///< "" when not accepted
        bool agrees;
    } cases[] = {
        {"\x89PNG\r\n\x1a\n....", "foto.png", "image/png", true},
        {"\x89PNG\r\n\x1a\n....", "foto.pdf", "image/png", false},
        {"\xFF\xD8\xFF\xE1", "IMG_0001.JPEG", "image/jpeg", true},
        {"%PDF-1.4", "laudo", "application/pdf", true},
        {"%PDF-1.4", "laudo.txt", "application/pdf", false},
        {std::string("PK\x03\x04", 4) + "[Content_Types].xml", "nota.docx",
         "application/vnd.openxmlformats-officedocument.wordprocessingml.document", true},
        {std::string("PK\x03\x04", 4), "fotos.zip", "application/zip", true},
        {std::string("PK\x03\x04", 4), "nota.pdf", "application/zip", false},
        {odt, "relato.odt", "application/vnd.oasis.opendocument.text", true},
        {odt, "relato.docx", "application/vnd.oasis.opendocument.text", false},
        {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", "antiga.xls", "application/vnd.ms-excel", true},
        {"Lote 44 \xC3\xBAmido\r\n\tfim", "nota.txt", "text/plain", true},
        {"\xEF\xBB\xBF"
         "codigo;nome\n",
         "lista.csv", "text/plain", true},
        // A character cut at the end of the head is still text; a broken one is not.
        {"a\xC3", "a.txt", "text/plain", true},
        {"a\xC3(", "a.txt", "", false},
        {std::string("a\0b", 3), "a.txt", "", false},
        {"\x7f"
         "ELF\x02",
         "a.pdf", "", false},
        {"MZ\x90\x00", "setup.exe", "", false},
        {"#!/bin/sh\n", "leia.txt", "", false},
        {"", "vazio.txt", "", false},
    };
    for (const auto& c : cases) {
        const FileKind kind = SniffFileKind(c.head, c.name);
        EXPECT_EQ(kind.mime, c.mime) << c.name;
        if (!kind.mime.empty()) {
            EXPECT_EQ(NameAgreesWith(c.name, kind), c.agrees) << c.name;
            EXPECT_FALSE(kind.label.empty());
        }
    }
}

TEST(FileKind, TheExtensionIsTheNamesLastOneInLowerCase) {
    EXPECT_EQ(ExtensionOf("C:\\fotos.2026\\Avaria.JPG"), "jpg");
    EXPECT_EQ(ExtensionOf("/tmp/a.b/leia"), "");
    EXPECT_EQ(ExtensionOf(".bashrc"), "");
    EXPECT_EQ(ExtensionOf("nota.fiscal.pdf"), "pdf");
}

} // namespace
