#include "setup/SetupMenus.h"

#include "help/HelpTopics.h"

namespace tamrel::setup {

namespace {

using enum Command;
using help::Topic;

SetupMenuDef Help(ui::MenuId id, const std::string& caption, Topic topic) {
    return {id, caption, ShowHelpTopic, static_cast<int>(topic)};
}

std::vector<SetupMenuDef> Build(ui::Desktop desktop) {
    const std::string startup = desktop == ui::Desktop::Windows ? "Running The Tamrel when Windows starts"
                                                                : "Running The Tamrel when the desktop session starts";
    return {
        {kOptionsMenu, "Tamrel Options", None, 0, false,
         {
             {kProgramMenu, "Program to launch", None, 0, false,
              {{kProgramShown, "Launch: (none)"},
               {kChooseProgram, "Choose a different Program to Launch", ChooseProgram}}},
             {kMethodMenu, "Shutdown Method", None, 0, false,
              {{kNoShutdown, "Dont shut the machine down", ChooseMethod, 0},
               {kShutdown, "Shutdown", ChooseMethod, 1},
               {kPowerOff, "Power off", ChooseMethod, 2}}},
             {kCancelKeyMenu, "Select Cancel key", None, 0, true,
              {{kChooseCancelKey, "Choose a different Cancel Key", ChooseCancelKey}}},
             {kRestartKeyMenu, "Select Restart Program key", None, 0, true,
              {{kChooseRestartKey, "Choose a different restart program key", ChooseRestartKey}}},
             {kCancelTimeMenu, "Time to cancel", None, 0, true,
              {{k5Seconds, "5 Seconds", ChooseCancelTime, 5},
               {k10Seconds, "10 Seconds", ChooseCancelTime, 10},
               {k15Seconds, "15 Seconds", ChooseCancelTime, 15},
               {k20Seconds, "20 Seconds", ChooseCancelTime, 20},
               {k25Seconds, "25 seconds", ChooseCancelTime, 25}}},
             {kDone, "Done!", Done},
             {kCancelAndExit, "Cancel and Exit", CancelAndExit},
         }},
        {kSkinMenu, "Skin", None, 0, true,
         {{kOpenSkin, "Open a skin", OpenSkin}, {kDefaultSkin, "Use default skin", UseDefaultSkin}}},
        {kCountdownBoxMenu, "Countdown box", None, 0, true,
         {{kSelectFont, "Select font", SelectFont},
          {kSelectColor, "Select color", SelectColor},
          {kResetBox, "Reset Countdown Box", ResetBox}}},
        {kHelpMenu, "Help", None, 0, false,
         {
             {kAbout, "About The Tamrel", ShowAbout},
             Help(kHelpProgram, "Selecting program to launch", Topic::Program),
             Help(kHelpMethod, "Choosing shutdown method", Topic::Method),
             Help(kHelpCancelKey, "Select cancel key", Topic::CancelKey),
             Help(kHelpRestartKey, "Select  re-start program key", Topic::RestartKey),
             Help(kHelpCancelTime, "Choosing a cancel time", Topic::CancelTime),
             {kHelpSkinMenu, "About the skin", None, 0, false,
              {Help(kHelpCreateSkin, "Creating a new skin", Topic::CreateSkin),
               Help(kHelpOpenSkin, "Opening a created skin", Topic::OpenSkin),
               Help(kHelpDefaultSkin, "Using default skin", Topic::DefaultSkin)}},
             {kHelpBoxMenu, "Using the countdown box", None, 0, false,
              {Help(kHelpBoxWhat, "What is the countdown box?", Topic::BoxWhat),
               Help(kHelpBoxFont, "Selecting countdown box font", Topic::BoxFont),
               Help(kHelpBoxColor, "Selecting countdown box color", Topic::BoxColor),
               Help(kHelpBoxPosition, "Positioning Countdown Box on the skin", Topic::BoxPosition),
               Help(kHelpBoxReset, "Reseting the CountDown Box", Topic::BoxReset)}},
             Help(kHelpFinishing, "Finishing", Topic::Finishing),
             Help(kHelpRunSetupAgain, "How to run setup again", Topic::RunSetupAgain),
             Help(kHelpStartup, startup, Topic::Startup),
             Help(kHelpTroubleshooting, "Troubleshooting", Topic::Troubleshooting),
             Help(kHelpGlaunch, "Notes about using Glaunch with The Tamrel", Topic::Glaunch),
         }},
    };
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

}  // namespace

const std::vector<SetupMenuDef>& SetupMenuTable(ui::Desktop desktop) {
    static const std::vector<SetupMenuDef> windows = Build(ui::Desktop::Windows);
    static const std::vector<SetupMenuDef> session = Build(ui::Desktop::Session);
    return desktop == ui::Desktop::Windows ? windows : session;
}

std::vector<ui::MenuDef> SetupMenuBar(ui::Desktop desktop) { return ToToolkit(SetupMenuTable(desktop)); }

std::vector<const SetupMenuDef*> SetupMenuItems(ui::Desktop desktop) {
    std::vector<const SetupMenuDef*> items;
    Flatten(SetupMenuTable(desktop), items);
    return items;
}

const SetupMenuDef& SetupMenuItem(ui::Desktop desktop, ui::MenuId id) {
    for (const SetupMenuDef* item : SetupMenuItems(desktop)) {
        if (item->id == id) return *item;
    }
    static const SetupMenuDef kNoItem{0, ""};
    return kNoItem;
}

}  // namespace tamrel::setup
