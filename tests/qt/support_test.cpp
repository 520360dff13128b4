// Translations between the framework's notations and Qt's.
#include "qt/qt_support.h"
#include "qt/snapshot.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using oca::qt::QtInputMask;
using oca::qt::ShortCutText;

TEST(QtSupport, EditMasksKeepTheirMeaningInQtLetters) {
    const struct {
        const char* framework;
        const char* qt;
    } cases[] = {
        {"99:99;1; ", "00:00; "},                           // optional digits, blank space
        {"!99/99/9999;1; ", "00/00/0000; "},                // ! is alignment only
        {"00.000.000/0000-00;0;_", "99.999.999/9999-99;_"}, // required digits
        {"LL-0", "AA-9;_"},                                 // letters; default blank
        {">lll<AA", ">aaa<NN;_"},                           // case switches
        {"\\A9", "\\A0;_"}, // a literal that Qt would read as a letter is escaped
        {"#9;1;*", "#0;*"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QtInputMask(c.framework).toStdString(), c.qt) << c.framework;
    }
}

TEST(QtSupport, KeyPressesBecomeMenuShortcutsButPlainTypingDoesNot) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    } cases[] = {
        {Qt::Key_L, Qt::ControlModifier, "Ctrl+L"},
        {Qt::Key_Insert, Qt::NoModifier, "Ins"},
        {Qt::Key_F5, Qt::NoModifier, "F5"},
        {Qt::Key_Delete, Qt::ControlModifier, "Ctrl+Del"},
        {Qt::Key_Return, Qt::ControlModifier, "Ctrl+Enter"},
        {Qt::Key_Escape, Qt::NoModifier, "Esc"},
        {Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier, "Shift+Ctrl+A"},
        {Qt::Key_L, Qt::NoModifier, ""},
        {Qt::Key_L, Qt::ShiftModifier, ""},
        {Qt::Key_Shift, Qt::ShiftModifier, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShortCutText(c.key, c.modifiers), c.text) << c.text;
    }
}

TEST(QtSupport, SystemColoursArePaintedAndOthersReadAsBlueGreenRed) {
    EXPECT_EQ(oca::qt::ToQColor(clInfoBk), QColor(255, 255, 225));
    EXPECT_EQ(oca::qt::ToQColor(clWindow), QColor(255, 255, 255));
    EXPECT_EQ(oca::qt::ToQColor(clBlue), QColor(0, 0, 255));
    EXPECT_EQ(oca::qt::ToQColor(static_cast<TColor>(0x336699)), QColor(0x99, 0x66, 0x33));
}

} // namespace

namespace {

// Qt's own buttons and dialogs speak the desktop's language.
TEST(QtSupport, QtsOwnTextsAreInPortuguese) {
    oca::qt::EnsureApplication();
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Save);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove('&'),
              QStringLiteral("Cancelar"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text().remove('&'), QStringLiteral("Salvar"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"),
              QStringLiteral("Procurar em:"));
    EXPECT_EQ(QLocale().name(), QStringLiteral("pt_BR"));
}

} // namespace
