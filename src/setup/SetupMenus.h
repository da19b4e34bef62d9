#pragma once
// The setup window's menu bar as data: role ids and design captions. The
// handlers are bound to the ids; captions and enabled states change by id.

#include <vector>

#include "platform/Toolkit.h"

namespace tamrel::setup {

enum Menu : ui::MenuId {
    kOptionsMenu = 100,
    kProgramMenu,
    kProgramShown,
    kChooseProgram,
    kMethodMenu,
    kNoShutdown,
    kShutdown,
    kPowerOff,
    kCancelKeyMenu,
    kChooseCancelKey,
    kRestartKeyMenu,
    kChooseRestartKey,
    kCancelTimeMenu,
    k5Seconds,
    k10Seconds,
    k15Seconds,
    k20Seconds,
    k25Seconds,
    kDone,
    kCancelAndExit,
    kSkinMenu,
    kOpenSkin,
    kDefaultSkin,
    kCountdownBoxMenu,
    kSelectFont,
    kSelectColor,
    kResetBox,
    kHelpMenu,
    kAbout,
    kHelpProgram,
    kHelpMethod,
    kHelpCancelKey,
    kHelpRestartKey,
    kHelpCancelTime,
    kHelpSkinMenu,
    kHelpCreateSkin,
    kHelpOpenSkin,
    kHelpDefaultSkin,
    kHelpBoxMenu,
    kHelpBoxWhat,
    kHelpBoxFont,
    kHelpBoxColor,
    kHelpBoxPosition,
    kHelpBoxReset,
    kHelpFinishing,
    kHelpRunSetupAgain,
    kHelpStartup,
    kHelpTroubleshooting,
    kHelpGlaunch,
};

// The whole tree. `desktopName` words the one caption that names the
// platform ("Windows").
std::vector<ui::MenuDef> SetupMenuBar(const std::string& desktopName);

}  // namespace tamrel::setup
