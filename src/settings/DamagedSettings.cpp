#include "settings/DamagedSettings.h"

#include "platform/Paths.h"
#include "settings/SettingsFile.h"
#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel {

void DiscardDamagedSettings(Logs& logs, FileSystem& files, ui::Toolkit& ui,
                            const std::string& prompt) {
    logs.Log("The tamrel.set file is corrupt!! Moving tamrel.set aside, kept as tamrel.bad!");
    logs.AppendErrorLog(" --The tamrel.set file is corrupt! Moving tamrel.set aside, kept as tamrel.bad.");
    ui.ShowMessageBox(prompt, ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    const std::string settingsPath = SettingsFilePath(files);
    // Moved, not copied: kept byte for byte at no cost, whatever its size.
    const std::string badPath = InLogFolder(files, "tamrel.bad");
    if (files.FileExists(badPath)) files.RemoveFile(badPath);
    files.RenameFile(settingsPath, badPath);
    logs.Log("The damaged file was kept as tamrel.bad.");
    logs.Log("Tamrel ended.");
}

void ReportSettingsFolder(Logs& logs, FileSystem& files, ui::Toolkit& ui) {
    const std::string path = SettingsFilePath(files);
    logs.TryAppendErrorLog("--Tamrel.set is a folder: " + path);
    logs.TryLog("Tamrel.set is a folder, not a settings file: " + path);
    ui.ShowMessageBox("Tamrel.set is a folder, not a settings file:\r" + Printable(path) +
                          "\rMove or rename the folder, then start Tamrel again to run setup.",
                      ui::Buttons::Ok, "Tamrel.set is a folder!", ui::Icon::None);
    logs.TryLog("Tamrel ended.");
}

}  // namespace tamrel
