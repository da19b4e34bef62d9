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

}  // namespace tamrel
