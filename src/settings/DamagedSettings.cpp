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

void ReportDamagedSettings(Logs& logs, FileSystem& files, ui::Toolkit& ui, const SettingsSource& source,
                           const std::string& prompt, bool setup) {
    if (!source.system) {
        DiscardDamagedSettings(logs, files, ui, prompt);
        return;
    }
    logs.Log("The system's settings file " + source.path + " is corrupt!! It is left in place.");
    logs.AppendErrorLog(" --The system's settings file " + source.path + " is corrupt! It is left in place.");
    ui.ShowMessageBox("There is something wrong in the system's settings file " + Printable(source.path) +
                          ". It is left in place.\r" +
                          (setup ? "Setup starts from its defaults; Done! writes your own tamrel.set, which Tamrel "
                                   "then reads instead."
                                 : "Run setup to write your own tamrel.set, which Tamrel then reads instead."),
                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    logs.Log(setup ? "Setup starts from its defaults." : "Tamrel ended.");
}

void LogSource(Logs& logs, const SettingsSource& source) {
    if (source.system) logs.Log("This user has no tamrel.set: reading the system's, " + source.path);
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
