#pragma once

#include <string>

/// The text of rich text (the editors' HTML) without its markup: a document shows only
/// its body, style sheets and tags are dropped, paragraphs, list items and line breaks
/// end lines, the common entities and characters by number are decoded, and the source's
/// own line breaks and trailing empty lines go. Text that is not markup comes back as it is.
std::string StripMarkup(const std::string& whole);
