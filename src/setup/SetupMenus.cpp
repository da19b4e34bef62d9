#include "setup/SetupMenus.h"

#include <algorithm>

#include "help/HelpTopics.h"

namespace tamrel::setup {

namespace {

using enum Command;
using help::Topic;

SetupMenuDef Item(ui::MenuId id, const std::string& caption, Command command = None, int argument = 0) {
    return {id, caption, command, argument, false, {}};
}

// Enabled only while a shutdown method is chosen.
SetupMenuDef ShutdownItem(ui::MenuId id, const std::string& caption, Command command) {
    return {id, caption, command, 0, true, {}};
}

SetupMenuDef Unavailable(ui::MenuId id, const std::string& caption, Command command = None) {
    return {id, caption, command, 0, false, {}, true};
}

// Windows cannot set the clock alarm before it powers off: the firmware's
// own setting wakes the machine there, and the item says so beside it.
std::vector<SetupMenuDef> WakeItems(ui::Desktop desktop) {
    constexpr const char* kCaption = "Wake-up time...";
    if (desktop != ui::Desktop::Windows) return {ShutdownItem(kWakeTime, kCaption, ChooseWakeTime)};
    return {Unavailable(kWakeTime, kCaption, ChooseWakeTime),
            Unavailable(kWakeElsewhere,
                        "Windows cannot set a wake-up: use the BIOS/UEFI's \"power on by RTC\" (RTC wake)")};
}

SetupMenuDef Menu(ui::MenuId id, const std::string& caption, bool forShutdownOnly, std::vector<SetupMenuDef> items) {
    return {id, caption, None, 0, forShutdownOnly, std::move(items)};
}

SetupMenuDef Help(ui::MenuId id, const std::string& caption, Topic topic) {
    return Item(id, caption, ShowHelpTopic, static_cast<int>(topic));
}

std::vector<SetupMenuDef> Build(ui::Desktop desktop) {
    const std::string startup = desktop == ui::Desktop::Windows ? "Running The Tamrel when Windows starts"
                                                                : "Running The Tamrel when the desktop session starts";
    const std::string autostart = desktop == ui::Desktop::Windows ? "Start Tamrel when Windows starts"
                                                                  : "Start Tamrel when the desktop session starts";
    std::vector<SetupMenuDef> menus = {
        Menu(kOptionsMenu, "Tamrel Options", false,
         {
             Menu(kProgramMenu, "Program to launch", false,
              {Item(kProgramShown, "Launch: (none)"),
               Item(kChooseProgram, "Choose a different Program to Launch", ChooseProgram)}),
             Menu(kMethodMenu, "Shutdown Method", false,
              {Item(kNoShutdown, "Dont shut the machine down", ChooseMethod, 0),
               Item(kShutdown, "Shutdown", ChooseMethod, 1),
               Item(kPowerOff, "Power off", ChooseMethod, 2)}),
             Menu(kCancelKeyMenu, "Select Cancel key", true,
              {Item(kChooseCancelKey, "Choose a different Cancel Key", ChooseCancelKey)}),
             Menu(kRestartKeyMenu, "Select Restart Program key", true,
              {Item(kChooseRestartKey, "Choose a different restart program key", ChooseRestartKey)}),
             Menu(kCancelTimeMenu, "Time to cancel", true,
              {Item(k5Seconds, "5 Seconds", ChooseCancelTime, 5),
               Item(k10Seconds, "10 Seconds", ChooseCancelTime, 10),
               Item(k15Seconds, "15 Seconds", ChooseCancelTime, 15),
               Item(k20Seconds, "20 Seconds", ChooseCancelTime, 20),
               Item(k25Seconds, "25 seconds", ChooseCancelTime, 25)}),
             Menu(kShortestRunMenu, "Shortest run", true,
              {Item(kShortestRunOff, "Off", ChooseShortestRun, 0),
               Item(kShortestRun10, "10 Seconds", ChooseShortestRun, 10),
               Item(kShortestRun30, "30 Seconds", ChooseShortestRun, 30),
               Item(kShortestRun60, "60 Seconds", ChooseShortestRun, 60)}),
             Menu(kIdleMenu, "Power off when idle", true,
              {Item(kIdleOff, "Off", ChooseIdleMinutes, 0),
               Item(kIdle15, "15 Minutes", ChooseIdleMinutes, 15),
               Item(kIdle30, "30 Minutes", ChooseIdleMinutes, 30),
               Item(kIdle60, "60 Minutes", ChooseIdleMinutes, 60),
               Item(kIdle120, "120 Minutes", ChooseIdleMinutes, 120)}),
             ShutdownItem(kClosingTime, "Closing time...", ChooseClosingTime),
             Item(kAutostart, autostart, ToggleAutostart),
             Item(kDone, "Done!", Done),
             Item(kCancelAndExit, "Cancel and Exit", CancelAndExit),
         }),
        Menu(kSkinMenu, "Skin", true,
         {Item(kOpenSkin, "Open a skin", OpenSkin), Item(kDefaultSkin, "Use default skin", UseDefaultSkin)}),
        Menu(kCountdownBoxMenu, "Countdown box", true,
         {Item(kSelectFont, "Select font", SelectFont),
          Item(kSelectColor, "Select color", SelectColor),
          Item(kResetBox, "Reset Countdown Box", ResetBox)}),
        Menu(kHelpMenu, "Help", false,
         {
             Item(kAbout, "About The Tamrel", ShowAbout),
             Help(kHelpProgram, "Selecting program to launch", Topic::Program),
             Help(kHelpMethod, "Choosing shutdown method", Topic::Method),
             Help(kHelpCancelKey, "Select cancel key", Topic::CancelKey),
             Help(kHelpRestartKey, "Select  re-start program key", Topic::RestartKey),
             Help(kHelpCancelTime, "Choosing a cancel time", Topic::CancelTime),
             Help(kHelpIdle, "Choosing power off when idle", Topic::Idle),
             Help(kHelpClosingTime, "Choosing a closing time", Topic::ClosingTime),
             Help(kHelpWakeTime, "Choosing a wake-up time", Topic::WakeTime),
             Menu(kHelpSkinMenu, "About the skin", false,
              {Help(kHelpCreateSkin, "Creating a new skin", Topic::CreateSkin),
               Help(kHelpOpenSkin, "Opening a created skin", Topic::OpenSkin),
               Help(kHelpDefaultSkin, "Using default skin", Topic::DefaultSkin)}),
             Menu(kHelpBoxMenu, "Using the countdown box", false,
              {Help(kHelpBoxWhat, "What is the countdown box?", Topic::BoxWhat),
               Help(kHelpBoxFont, "Selecting countdown box font", Topic::BoxFont),
               Help(kHelpBoxColor, "Selecting countdown box color", Topic::BoxColor),
               Help(kHelpBoxPosition, "Positioning Countdown Box on the skin", Topic::BoxPosition),
               Help(kHelpBoxReset, "Reseting the CountDown Box", Topic::BoxReset)}),
             Help(kHelpFinishing, "Finishing", Topic::Finishing),
             Help(kHelpRunSetupAgain, "How to run setup again", Topic::RunSetupAgain),
             Help(kHelpStartup, startup, Topic::Startup),
             Help(kHelpTroubleshooting, "Troubleshooting", Topic::Troubleshooting),
             Help(kHelpGlaunch, "Notes about using Glaunch with The Tamrel", Topic::Glaunch),
         }),
    };
    std::vector<SetupMenuDef>& options = menus.front().items;
    const std::vector<SetupMenuDef> wake = WakeItems(desktop);
    options.insert(std::find_if(options.begin(), options.end(), [](const auto& item) { return item.id == kAutostart; }),
                   wake.begin(), wake.end());
    return menus;
}

std::vector<ui::MenuDef> ToToolkit(const std::vector<SetupMenuDef>& menus) {
    std::vector<ui::MenuDef> out;
    for (const SetupMenuDef& menu : menus) out.push_back({menu.id, menu.caption, ToToolkit(menu.items)});
    return out;
}

void Flatten(const std::vector<SetupMenuDef>& menus, std::vector<const SetupMenuDef*>& out) {
    for (const SetupMenuDef& menu : menus) {
        out.push_back(&menu);
        Flatten(menu.items, out);
    }
}

// The items of the group that holds `command`'s items.
std::vector<SetupMenuDef>* GroupOf(SetupMenus& menus, Command command) {
    for (SetupMenuDef& menu : menus) {
        for (const SetupMenuDef& item : menu.items) {
            if (item.command == command) return &menu.items;
        }
        if (std::vector<SetupMenuDef>* group = GroupOf(menu.items, command)) return group;
    }
    return nullptr;
}

}  // namespace

const SetupMenus& SetupMenuTable(ui::Desktop desktop) {
    static const SetupMenus windows = Build(ui::Desktop::Windows);
    static const SetupMenus session = Build(ui::Desktop::Session);
    return desktop == ui::Desktop::Windows ? windows : session;
}

std::vector<ui::MenuDef> SetupMenuBar(const SetupMenus& menus) { return ToToolkit(menus); }
std::vector<ui::MenuDef> SetupMenuBar(ui::Desktop desktop) { return SetupMenuBar(SetupMenuTable(desktop)); }

std::vector<const SetupMenuDef*> SetupMenuItems(const SetupMenus& menus) {
    std::vector<const SetupMenuDef*> items;
    Flatten(menus, items);
    return items;
}

std::vector<const SetupMenuDef*> SetupMenuItems(ui::Desktop desktop) { return SetupMenuItems(SetupMenuTable(desktop)); }

const SetupMenuDef& SetupMenuItem(const SetupMenus& menus, ui::MenuId id) {
    for (const SetupMenuDef* item : SetupMenuItems(menus)) {
        if (item->id == id) return *item;
    }
    static const SetupMenuDef kNoItem = Item(0, "");
    return kNoItem;
}

const SetupMenuDef& SetupMenuItem(ui::Desktop desktop, ui::MenuId id) {
    return SetupMenuItem(SetupMenuTable(desktop), id);
}

bool OfferValue(SetupMenus& menus, Command command, ui::MenuId id, int value, const std::string& unit) {
    std::vector<SetupMenuDef>* group = GroupOf(menus, command);
    if (!group) return false;
    auto place = group->begin();
    for (; place != group->end() && place->command == command; ++place) {
        if (place->argument == value) return false;
        if (place->argument > value) break;
    }
    group->insert(place, Item(id, Amount(value, unit), command, value));
    return true;
}

std::string Amount(int value, const std::string& unit) {
    return std::to_string(value) + " " + (value == 1 ? unit.substr(0, unit.size() - 1) : unit);
}

}  // namespace tamrel::setup
