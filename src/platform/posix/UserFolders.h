#pragma once
// Where Tamrel keeps its files on Linux. The copy a package installed under
// /usr cannot write beside itself, so it keeps them in each user's own XDG
// folders; a copy anywhere else keeps everything in its own folder.

#include <functional>
#include <string>
#include <vector>

namespace tamrel {

struct TamrelFolders {
    std::string program;   // the executable's folder
    std::string settings;  // tamrel.set
    std::string logs;      // the logs, tamrel.bad and the lock
    // The system's tamrel folders, read when the user has no tamrel.set:
    // $XDG_CONFIG_DIRS (or /etc/xdg), each with "/tamrel"; none when portable.
    std::vector<std::string> system{};
};

// A variable's value, or null when it is unset.
using Environment = std::function<const char*(const char*)>;
// The home folder the user database holds for this user, or "".
using AccountHome = std::function<std::string()>;

// The running user's home folder in the user database.
std::string HomeOfUser();
// The running user's login name, or "".
std::string NameOfUser();

// `executable`: the running file's real path. An installed copy for which
// neither the variables nor the user database name a home raises
// std::runtime_error: it never writes beside itself.
TamrelFolders FoldersFor(const std::string& executable, const Environment& environment,
                         const AccountHome& accountHome = HomeOfUser);

// The XDG autostart entry of the user: $XDG_CONFIG_HOME/autostart/tamrel.desktop.
std::string AutostartEntryFor(const Environment& environment, const AccountHome& accountHome = HomeOfUser);

// Creates the folder and those above it that are missing (for the user
// alone), quietly: one that cannot be made is reported by the first file
// that cannot be written in it, with its path.
void MakeFolders(const std::string& folder);

}  // namespace tamrel
