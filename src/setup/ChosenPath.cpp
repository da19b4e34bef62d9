#include "setup/ChosenPath.h"

#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel {

StoredPath PathToStore(const ui::ChosenFile& chosen) {
    const std::string named = "Tamrel cannot keep this path in tamrel.set:\r" + Printable(chosen.path) + "\r";
    // A line of the file ends at a line break; the rest would be read as
    // another line.
    if (chosen.path.find_first_of("\r\n") != std::string::npos) {
        return {"", named + "It holds a line break, which one line of the settings file cannot hold.\rRename "
                            "the file or folder without the line break, then choose it again."};
    }
    if (chosen.exact) return {chosen.path, ""};
    if (!chosen.shortPath.empty()) return {chosen.shortPath, ""};
    return {"", named + "Some of its characters are not in the system's code page, which the settings file is "
                        "written in, and the system keeps no short (8.3) name for it.\rMove the file to a folder "
                        "whose path has only characters of the system's code page, or rename its folders so, "
                        "then choose it again."};
}

std::optional<std::string> KeepChosenPath(ui::Toolkit& ui, const ui::ChosenFile& chosen, const std::string& title) {
    if (chosen.path.empty()) return std::nullopt;
    const StoredPath stored = PathToStore(chosen);
    if (stored.refusal.empty()) return stored.path;
    ui.ShowMessageBox(stored.refusal, ui::Buttons::Ok, title, ui::Icon::Critical);
    return std::nullopt;
}

}  // namespace tamrel
