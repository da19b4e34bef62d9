#include "platform/posix/UserFolders.h"

#include <sys/stat.h>

namespace tamrel {

namespace {

// An XDG base folder: the variable when it holds an absolute path (a
// relative one does not count), else its place under the home folder.
std::string BaseFolder(const std::function<const char*(const char*)>& environment, const char* variable,
                       const std::string& home, const char* underHome) {
    const char* value = environment(variable);
    if (value && value[0] == '/') return value;
    return (home == "/" ? "" : home) + underHome;
}

}  // namespace

TamrelFolders FoldersFor(const std::string& executable,
                         const std::function<const char*(const char*)>& environment) {
    const auto slash = executable.rfind('/');
    const std::string program = slash == 0 || slash == std::string::npos ? "/" : executable.substr(0, slash);
    const char* home = environment("HOME");
    // Without a home folder there is no user's own place to go to.
    if (!executable.starts_with("/usr/") || !home || home[0] != '/') return {program, program, program};
    return {program, BaseFolder(environment, "XDG_CONFIG_HOME", home, "/.config") + "/tamrel",
            BaseFolder(environment, "XDG_STATE_HOME", home, "/.local/state") + "/tamrel"};
}

std::string AutostartEntryFor(const std::function<const char*(const char*)>& environment) {
    const char* home = environment("HOME");
    return BaseFolder(environment, "XDG_CONFIG_HOME", home ? home : "", "/.config") + "/autostart/tamrel.desktop";
}

void MakeFolders(const std::string& folder) {
    for (auto slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) return;
    }
}

}  // namespace tamrel
