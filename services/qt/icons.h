#pragma once

#include <QIcon>

#include <string>

namespace oca::qt {

/// The picture of a toolbar glyph name ("Confirmar", "Negrito"...); a lookup button
/// without one gets the magnifier.
QIcon GlyphIcon(const std::string& glyph);

/// The desktop's own icon (an occurrence sheet with a check), for its windows.
QIcon ApplicationIcon();

} // namespace oca::qt
