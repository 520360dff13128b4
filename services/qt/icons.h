#pragma once

#include <QIcon>

#include <string>

namespace oca::qt {

/// The picture of a toolbar glyph name ("Confirmar", "Negrito"...); a lookup button
/// without one gets the magnifier.
QIcon GlyphIcon(const std::string& glyph);

} // namespace oca::qt
