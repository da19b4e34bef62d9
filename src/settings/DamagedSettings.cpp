#include "settings/DamagedSettings.h"

#include "platform/Paths.h"
#include "settings/SettingsFile.h"

namespace tamrel {

void DiscardDamagedSettings(Module1& module, FileSystem& files, ui::Toolkit& ui,
                            const std::string& prompt) {
    module.Log("The tamrel.set file is corrupt!! Deleting tamrel.set!");
    module.AppendErrorLog(" --The tamrel.set file is corrupt! Deleting tamrel.set.");
    ui.ShowMessageBox(prompt, ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    const std::string settingsPath = SettingsFilePath(files);
    files.WriteFile(InProgramFolder(files, "tamrel.bad"), files.ReadFile(settingsPath));
    module.Log("A copy of the damaged file was kept as tamrel.bad.");
    files.RemoveFile(settingsPath);
    module.Log("Tamrel ended.");
}

}  // namespace tamrel
