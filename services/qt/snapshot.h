#pragma once

#include <string>

class QPixmap;
class QWidget;
class TControl;
class TForm;

namespace oca::qt {

/// Makes sure a Qt application object exists, with the desktop's look; without a
/// display (no QT_QPA_PLATFORM chosen) it renders off screen.
void EnsureApplication();

/// The desktop's look on the application object: one style and one small font on every
/// machine, so that forms drawn in form units fit as they were laid out.
void ApplyDesktopLook();

/// Renders the form as a person would see its window (title, menu bar, controls) and
/// writes it as a PNG file. Throws std::runtime_error when the file cannot be written.
void WriteSnapshot(TForm& form, const std::string& path);

/// Renders one control of a form, off screen, as the form draws it, to a PNG file; false
/// when it cannot be drawn or written.
bool WriteControlPicture(TControl& control, const std::string& path);

/// A control's widget as a picture of what it shows: a chart without the person's pick.
QPixmap Picture(QWidget& widget);

} // namespace oca::qt
