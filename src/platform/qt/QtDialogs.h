#pragma once
// The Open, Font, Color and time dialogs, modal over their window. Qt's own
// dialogs are used, not the desktop's, so that they look and answer the same
// everywhere and assistive technologies see their widgets.

#include <string>

#include "platform/Toolkit.h"

class QString;
class QWidget;

namespace tamrel::qt {

std::string RunOpenDialog(QWidget* parent, const ui::OpenFileRequest& request);
ui::Font RunFontDialog(QWidget* parent, const ui::Font& start);
ui::Color RunColorDialog(QWidget* parent, ui::Color start);
// A dialog of our own: a spin box each for hours and minutes, and the
// buttons "OK", "Cancel" and "None".
ui::TimeAnswer RunTimeDialog(QWidget* parent, const ui::TimeRequest& request);

// The dialog's one filter entry: "*.exe;*.bat" becomes
// "description (*.exe *.bat)".
QString NameFilter(const FileFilter& filter);

}  // namespace tamrel::qt
