#pragma once
// Where Tamrel keeps its files on Linux. The copy a package installed under
// /usr cannot write beside itself, so it keeps them in each user's own XDG
// folders; a copy anywhere else keeps everything in its own folder.

#include <functional>
#include <string>

namespace tamrel {

struct TamrelFolders {
    std::string program;   // the executable's folder
    std::string settings;  // tamrel.set
    std::string logs;      // the logs, tamrel.bad and the lock
};

// `executable`: the running file's real path. `environment` gives a
// variable's value, or null when it is unset.
TamrelFolders FoldersFor(const std::string& executable,
                         const std::function<const char*(const char*)>& environment);

// The XDG autostart entry of the user: $XDG_CONFIG_HOME/autostart/tamrel.desktop.
std::string AutostartEntryFor(const std::function<const char*(const char*)>& environment);

// Creates the folder and those above it that are missing (for the user
// alone), quietly: one that cannot be made is reported by the first file
// that cannot be written in it, with its path.
void MakeFolders(const std::string& folder);

}  // namespace tamrel
