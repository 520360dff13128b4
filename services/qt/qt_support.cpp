#include "qt/qt_support.h"

#include "core/mask.h"

#include <QKeySequence>

namespace oca::qt {

QColor ToQColor(TColor color) {
    switch (color) {
    case clWindow:
        return QColor(255, 255, 255);
    case clBtnFace:
        return QColor(236, 236, 236);
    case clInfoBk:
        return QColor(255, 255, 225);
    default:
        break;
    }
    const auto rgb = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

namespace {

// Qt's mask letters differ from the framework's: each input slot maps to the Qt letter
// with the same meaning; anything Qt would read as a mask letter is escaped as a literal.
QChar QtSlotLetter(char32_t ch) {
    switch (ch) {
    case U'0':
        return u'9';
    case U'9':
        return u'0';
    case U'#':
        return u'#';
    case U'L':
        return u'A';
    case U'l':
        return u'a';
    case U'A':
        return u'N';
    case U'a':
        return u'n';
    case U'C':
        return u'X';
    default:
        return u'x';
    }
}

bool IsQtMaskLetter(char32_t ch) {
    static const std::u32string letters = U"AaNnXx90Dd#HhBb><!\\[]{}";
    return letters.find(ch) != std::u32string::npos;
}

} // namespace

QString QtInputMask(std::string_view editMask) {
    const EditMask mask(editMask);
    if (mask.Empty()) {
        return {};
    }
    QString out;
    int caseMode = 0;
    for (const EditMask::Slot& slot : mask.Slots()) {
        if (!slot.literal && slot.caseMode != caseMode) {
            out += slot.caseMode > 0 ? u'>' : slot.caseMode < 0 ? u'<' : u'!';
            caseMode = slot.caseMode;
        }
        if (slot.literal) {
            const QString literal = QString::fromUcs4(&slot.ch, 1);
            if (IsQtMaskLetter(slot.ch)) {
                out += u'\\';
            }
            out += literal;
        } else {
            out += QtSlotLetter(slot.ch);
        }
    }
    const char32_t blank = mask.BlankChar();
    out += u';';
    out += QString::fromUcs4(&blank, 1);
    return out;
}

std::uint16_t VirtualKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return static_cast<std::uint16_t>(112 + (qtKey - Qt::Key_F1));
    }
    return 0;
}

TShiftState ShiftState(Qt::KeyboardModifiers modifiers) {
    TShiftState state = 0;
    if (modifiers & Qt::ShiftModifier) {
        state |= ssShift;
    }
    if (modifiers & Qt::AltModifier) {
        state |= ssAlt;
    }
    if (modifiers & Qt::ControlModifier) {
        state |= ssCtrl;
    }
    return state;
}

std::string ShortCutText(int qtKey, Qt::KeyboardModifiers modifiers) {
    std::string key;
    switch (qtKey) {
    case Qt::Key_Insert:
        key = "Ins";
        break;
    case Qt::Key_Delete:
        key = "Del";
        break;
    case Qt::Key_Escape:
        key = "Esc";
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = "Enter";
        break;
    default:
        if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
            key = "F" + std::to_string(qtKey - Qt::Key_F1 + 1);
        } else if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) ||
                   (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
            if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
                return {}; // a plain character is typing, not a shortcut
            }
            key = std::string(1, static_cast<char>(qtKey));
        } else {
            return {};
        }
    }
    std::string text;
    if (modifiers & Qt::ShiftModifier) {
        text += "Shift+";
    }
    if (modifiers & Qt::ControlModifier) {
        text += "Ctrl+";
    }
    if (modifiers & Qt::AltModifier) {
        text += "Alt+";
    }
    return text + key;
}

QString MenuCaption(const std::string& caption, const std::string& shortCut) {
    QString text = Q(caption);
    if (!shortCut.empty()) {
        text += u'\t';
        text += Q(shortCut);
    }
    return text;
}

} // namespace oca::qt
