#pragma once
// The help topics as data: one window class shows any of them. The topics
// form one chain in the order of the Help menu.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Toolkit.h"

namespace tamrel::help {

// The topics in chain order, which is the Help menu's order.
enum class Topic : std::size_t {
    Program, Method, CancelKey, RestartKey, CancelTime, CreateSkin, OpenSkin, DefaultSkin, BoxWhat,
    BoxFont, BoxColor, BoxPosition, BoxReset, Finishing, RunSetupAgain, Startup, Troubleshooting, Glaunch,
};

struct HelpTopicDef {
    std::string title;
    std::string text;
    bool keyCodes = false;    // offers the table of common key codes
    bool resolution = false;  // shows the screen's resolution
};

// Every topic in chain order, worded for the platform: "Windows" is the
// desktop Tamrel returns to there; elsewhere the desktop session.
const std::vector<HelpTopicDef>& HelpTopics(ui::Desktop desktop);
// A topic's text naming the folders Tamrel uses, where it says "{settings}"
// and "{logs}".
std::string WithFolders(std::string text, const std::string& settingsFolder, const std::string& logFolder);

}  // namespace tamrel::help
