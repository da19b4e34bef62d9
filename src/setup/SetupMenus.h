#pragma once
// The setup window's menu bar as data: role ids and design captions. The
// handlers are bound to the ids; captions and enabled states change by id.

#include <string>
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
    kShortestRunMenu,
    kShortestRunOff,
    kShortestRun10,
    kShortestRun30,
    kShortestRun60,
    kIdleMenu,
    kIdleOff,
    kIdle15,
    kIdle30,
    kIdle60,
    kIdle120,
    kHelpIdle,
    kAutostart,
    // A value of the file that no item of its group offers.
    kCancelTimeFromFile,
    kShortestRunFromFile,
    kIdleFromFile,
    kClosingTime,
    kWakeTime,
    // Where the system cannot wake the machine: what can.
    kWakeElsewhere,
    kHelpClosingTime,
    kHelpWakeTime,
};

// What choosing an item does; the item's argument says which method, time
// or help topic.
enum class Command {
    None,  // a menu that opens, or an item that only shows a value
    ChooseProgram,
    ChooseMethod,
    ChooseCancelTime,
    ChooseShortestRun,
    ChooseIdleMinutes,
    ChooseClosingTime,
    ChooseWakeTime,
    ToggleAutostart,
    ChooseCancelKey,
    ChooseRestartKey,
    OpenSkin,
    UseDefaultSkin,
    SelectFont,
    SelectColor,
    ResetBox,
    Done,
    CancelAndExit,
    ShowAbout,
    ShowHelpTopic,
};

struct SetupMenuDef {
    ui::MenuId id;
    std::string caption;  // as designed; some change with the choices
    Command command = Command::None;
    int argument = 0;
    // Enabled only while a shutdown method is chosen.
    bool forShutdownOnly = false;
    std::vector<SetupMenuDef> items;
    // Never enabled: what this desktop cannot do, or a line that only tells.
    bool unavailable = false;
};

using SetupMenus = std::vector<SetupMenuDef>;

// The whole tree, worded for the desktop Tamrel returns to.
const SetupMenus& SetupMenuTable(ui::Desktop desktop);
// The tree as the toolkit builds it.
std::vector<ui::MenuDef> SetupMenuBar(const SetupMenus& menus);
std::vector<ui::MenuDef> SetupMenuBar(ui::Desktop desktop);
// Every item of the tree, depth first.
std::vector<const SetupMenuDef*> SetupMenuItems(const SetupMenus& menus);
std::vector<const SetupMenuDef*> SetupMenuItems(ui::Desktop desktop);
// The item of that id.
const SetupMenuDef& SetupMenuItem(const SetupMenus& menus, ui::MenuId id);
const SetupMenuDef& SetupMenuItem(ui::Desktop desktop, ui::MenuId id);

// Gives the group of `command` an item `id` for `value` (worded with
// `unit`, such as "Seconds"), in its place among the others, unless one
// offers it already, so that a value edited into the file by hand is seen
// and kept. True when the tree changed.
bool OfferValue(SetupMenus& menus, Command command, ui::MenuId id, int value, const std::string& unit);

// "1 Minute", "15 Minutes": `unit` is the plural.
std::string Amount(int value, const std::string& unit);

}  // namespace tamrel::setup
