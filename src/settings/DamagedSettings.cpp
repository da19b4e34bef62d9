#include "settings/DamagedSettings.h"

#include "platform/Paths.h"
#include "settings/SettingsFile.h"

namespace tamrel {

void DiscardDamagedSettings(Logs& logs, FileSystem& files, ui::Toolkit& ui,
                            const std::string& prompt) {
    logs.Log("The tamrel.set file is corrupt!! Deleting tamrel.set!");
    logs.AppendErrorLog(" --The tamrel.set file is corrupt! Deleting tamrel.set.");
    ui.ShowMessageBox(prompt, ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    const std::string settingsPath = SettingsFilePath(files);
    files.WriteFile(InProgramFolder(files, "tamrel.bad"), files.ReadFile(settingsPath));
    logs.Log("A copy of the damaged file was kept as tamrel.bad.");
    files.RemoveFile(settingsPath);
    logs.Log("Tamrel ended.");
}

}  // namespace tamrel
