#pragma once
// The one rule for naming a file in a folder: the separator goes between
// them unless the folder text already ends with it (a root folder does).

#include <string>

#include "platform/FileSystem.h"

namespace tamrel {

inline std::string FolderPrefix(const std::string& folder, char separator) {
    if (!folder.empty() && folder.back() == separator) return folder;
    return folder + separator;
}

inline std::string InProgramFolder(const FileSystem& files, const std::string& name) {
    return FolderPrefix(files.ProgramFolder(), files.Separator()) + name;
}

inline std::string InSettingsFolder(const FileSystem& files, const std::string& name) {
    return FolderPrefix(files.SettingsFolder(), files.Separator()) + name;
}

inline std::string InLogFolder(const FileSystem& files, const std::string& name) {
    return FolderPrefix(files.LogFolder(), files.Separator()) + name;
}

// A folder as texts for the user name it: "the program folder" when it is
// that one, else its path.
inline std::string FolderWording(const FileSystem& files, const std::string& folder) {
    return folder == files.ProgramFolder() ? "the program folder" : folder;
}

}  // namespace tamrel
