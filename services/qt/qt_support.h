#pragma once

#include "framework/controls/control.h"

#include <QColor>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace oca::qt {

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

/// A framework colour as the screen paints it; system colours get the pale tones of a
/// business desktop (required fields in the tool-tip yellow).
QColor ToQColor(TColor color);

/// The framework's edit mask ("99:99;1; ") as a QLineEdit input mask, the blank
/// character carried over so that what the line edit shows is what the control shows.
QString QtInputMask(std::string_view editMask);

/// A key as the framework's virtual key (0 for keys it does not name).
std::uint16_t VirtualKey(int qtKey);
TShiftState ShiftState(Qt::KeyboardModifiers modifiers);

/// "Ctrl+L", "F5", "Ins", "Shift+Ctrl+Del": a key press as menus write their shortcuts;
/// empty for a plain character or a lone modifier.
std::string ShortCutText(int qtKey, Qt::KeyboardModifiers modifiers);

/// "&Operação" stays: Qt reads the ampersand as the framework does.
QString MenuCaption(const std::string& caption, const std::string& shortCut);

} // namespace oca::qt
