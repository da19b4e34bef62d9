#pragma once
// What every reader does with a settings file it cannot use: say so, keep
// the user's text as tamrel.bad for repair, remove tamrel.set so that the
// next start offers setup, and end.

#include <string>

#include "log/Logs.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"
#include "settings/SettingsFile.h"

namespace tamrel {

// The prompt of the shutdown screen and of setup; the run window has its own.
inline constexpr const char* kDamagedFilePrompt =
    "There is something wrong in the tamrel.set file. Keeping it as tamrel.bad. Setup will run next "
    "time you start The tamrel.";

// A folder stands where the settings file belongs: nothing can read or
// replace it until the user moves it, so say so and end.
void ReportSettingsFolder(Logs& logs, FileSystem& files, ui::Toolkit& ui);

void DiscardDamagedSettings(Logs& logs, FileSystem& files, ui::Toolkit& ui,
                            const std::string& prompt);

// The user's file as above; the system's is told of in both logs and a box
// and left where it is: Tamrel ends, or with `setup` setup goes on from
// its defaults, so that "Done!" gives the user a file of their own.
void ReportDamagedSettings(Logs& logs, FileSystem& files, ui::Toolkit& ui, const SettingsSource& source,
                           const std::string& prompt, bool setup = false);

// Which file was read, in the event log, when it is not the user's own.
void LogSource(Logs& logs, const SettingsSource& source);

}  // namespace tamrel
