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
    Program, Method, CancelKey, RestartKey, CancelTime, Idle, ClosingTime, WakeTime, CreateSkin, OpenSkin, DefaultSkin, BoxWhat,
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
// What the topics name as this very Tamrel uses it.
struct Places {
    std::string settings;    // "{settings}": the settings folder
    std::string logs;        // "{logs}": the log folder
    std::string marker;      // "{marker}": the marker file a front end writes
    std::string entry;       // "{entry}": the entry that starts Tamrel with the session
    std::string executable;  // "{executable}": what that entry starts
};
std::string WithPlaces(std::string text, const Places& places);

}  // namespace tamrel::help
