// The plain text of the editors' rich text, as the grid, searches and the report show it.
#include "core/markup.h"

#include <gtest/gtest.h>

namespace {

TEST(Markup, RichTextReadsAsItsPlainText) {
    struct Case {
        const char* what;
        const char* rich;
        const char* plain;
    };
    const Case cases[] = {
        {"text without markup stays as it is", "linha 1\nlinha 2 &amp; 3",
         "linha 1\nlinha 2 &amp; 3"},
        {"a paragraph", "<p>Descrição um</p>", "Descrição um"},
        {"paragraphs, items and breaks end lines", "<p>a</p><ul><li>b</li></ul>c<br>d<br/>e",
         "a\nb\nc\nd\ne"},
        {"a whole document shows its body only",
         "<html><head><title>t</title><style>p { color: red; }</style></head>"
         "<body style=\"x\"><p>corpo</p></body></html>",
         "corpo"},
        {"a style sheet in the body is no text", "<style>p{}</style><p>a</p>", "a"},
        {"the common entities", "<p>&lt;x&gt; &amp; &quot;q&quot;&nbsp;!</p>", "<x> & \"q\" !"},
        {"a character by number", "<p>a&#231;&#227;o &#8364;</p>", "ação €"},
        {"an unknown entity stays", "<p>&copy;</p>", "&copy;"},
        {"a reference to no character stays", "<p>&#; &#0; &#27; &#12a; &#55296; &#1114112;</p>",
         "&#; &#0; &#27; &#12a; &#55296; &#1114112;"},
        {"the source's line breaks are no text", "<p>uma\r\nlinha</p>", "umalinha"},
        {"a tag left open ends the text", "<p>antes<b", "antes"},
        {"trailing empty lines go", "<p>a</p><p></p><br>", "a"},
        {"an empty document", "<html><body></body></html>", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StripMarkup(c.rich), c.plain) << c.what;
    }
}

} // namespace
