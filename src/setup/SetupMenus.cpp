#include "setup/SetupMenus.h"

namespace tamrel::setup {

std::vector<ui::MenuDef> SetupMenuBar(const std::string& desktopName) {
    const std::string startup = desktopName == "Windows" ? "Running The Tamrel when Windows starts"
                                                         : "Running The Tamrel when the desktop session starts";
    return {
        {kOptionsMenu, "Tamrel Options",
         {
             {kProgramMenu, "Program to launch",
              {{kProgramShown, "Launch: (none)", {}},
               {kChooseProgram, "Choose a different Program to Launch", {}}}},
             {kMethodMenu, "Shutdown Method",
              {{kNoShutdown, "Dont shut the machine down", {}},
               {kShutdown, "Shutdown", {}},
               {kPowerOff, "Power off", {}}}},
             {kCancelKeyMenu, "Select Cancel key", {{kChooseCancelKey, "Choose a different Cancel Key", {}}}},
             {kRestartKeyMenu, "Select Restart Program key",
              {{kChooseRestartKey, "Choose a different restart program key", {}}}},
             {kCancelTimeMenu, "Time to cancel",
              {{k5Seconds, "5 Seconds", {}},
               {k10Seconds, "10 Seconds", {}},
               {k15Seconds, "15 Seconds", {}},
               {k20Seconds, "20 Seconds", {}},
               {k25Seconds, "25 seconds", {}}}},
             {kDone, "Done!", {}},
             {kCancelAndExit, "Cancel and Exit", {}},
         }},
        {kSkinMenu, "Skin", {{kOpenSkin, "Open a skin", {}}, {kDefaultSkin, "Use default skin", {}}}},
        {kCountdownBoxMenu, "Countdown box",
         {{kSelectFont, "Select font", {}}, {kSelectColor, "Select color", {}}, {kResetBox, "Reset Countdown Box", {}}}},
        {kHelpMenu, "Help",
         {
             {kAbout, "About The Tamrel", {}},
             {kHelpProgram, "Selecting program to launch", {}},
             {kHelpMethod, "Choosing shutdown method", {}},
             {kHelpCancelKey, "Select cancel key", {}},
             {kHelpRestartKey, "Select  re-start program key", {}},
             {kHelpCancelTime, "Choosing a cancel time", {}},
             {kHelpSkinMenu, "About the skin",
              {{kHelpCreateSkin, "Creating a new skin", {}},
               {kHelpOpenSkin, "Opening a created skin", {}},
               {kHelpDefaultSkin, "Using default skin", {}}}},
             {kHelpBoxMenu, "Using the countdown box",
              {{kHelpBoxWhat, "What is the countdown box?", {}},
               {kHelpBoxFont, "Selecting countdown box font", {}},
               {kHelpBoxColor, "Selecting countdown box color", {}},
               {kHelpBoxPosition, "Positioning Countdown Box on the skin", {}},
               {kHelpBoxReset, "Reseting the CountDown Box", {}}}},
             {kHelpFinishing, "Finishing", {}},
             {kHelpRunSetupAgain, "How to run setup again", {}},
             {kHelpStartup, startup, {}},
             {kHelpTroubleshooting, "Troubleshooting", {}},
             {kHelpGlaunch, "Notes about using Glaunch with The Tamrel", {}},
         }},
    };
}

}  // namespace tamrel::setup
