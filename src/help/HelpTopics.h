#pragma once
// The help topics as data: one window class shows any of them. The topics
// form one chain in the order of the Help menu.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Toolkit.h"

namespace tamrel::help {

struct HelpTopicDef {
    ui::MenuId menu;  // the Help menu item that opens it
    std::string title;
    std::string text;
    bool keyCodes = false;    // offers the table of common key codes
    bool resolution = false;  // shows the screen's resolution
};

// Every topic in chain order, worded for the platform: "Windows" is the
// desktop Tamrel returns to there; elsewhere the desktop session.
const std::vector<HelpTopicDef>& HelpTopics(bool onWindows);

// The topic a Help menu item opens, or npos.
std::size_t TopicOfMenu(ui::MenuId menu);

}  // namespace tamrel::help
