#pragma once
// The modal message box, answered with the number of the button chosen.

#include <QString>
#include <string>

#include "platform/Toolkit.h"

class QWidget;

namespace tamrel::qt {

// `parent` (may be null) keeps the box above the window it belongs to.
int RunMessageBox(QWidget* parent, const std::string& prompt, ui::Buttons buttons, const std::string& title,
                  ui::Icon icon);

// A carriage return alone, or followed by a line feed, breaks the line.
QString PromptText(const std::string& prompt);

}  // namespace tamrel::qt
