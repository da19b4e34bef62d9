#include "platform/posix/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tamrel {

namespace {

// HOME, or where it is unset (a service, `env -i`) the user database's.
// Only an absolute path counts.
std::string Home(const Environment& environment, const AccountHome& accountHome) {
    const char* home = environment("HOME");
    if (home && home[0] == '/') return home;
    std::string account = accountHome ? accountHome() : std::string();
    return account.starts_with('/') ? account : std::string();
}

// An XDG base folder: the variable when it holds an absolute path (a
// relative one does not count), else its place under the home folder, or
// "" without one.
std::string BaseFolder(const Environment& environment, const char* variable, const std::string& home,
                       const char* underHome) {
    const char* value = environment(variable);
    if (value && value[0] == '/') return value;
    if (home.empty()) return {};
    return (home == "/" ? "" : home) + underHome;
}

// The folders of $XDG_CONFIG_DIRS in order, relative ones skipped; /etc/xdg
// when it names none.
std::vector<std::string> SystemConfigFolders(const Environment& environment) {
    std::vector<std::string> folders;
    const char* value = environment("XDG_CONFIG_DIRS");
    const std::string list = value ? value : "";
    for (std::size_t start = 0; start <= list.size();) {
        const auto colon = std::min(list.find(':', start), list.size());
        std::string folder = list.substr(start, colon - start);
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (folder.starts_with('/')) folders.push_back((folder == "/" ? "" : folder) + "/tamrel");
        start = colon + 1;
    }
    if (folders.empty()) folders.push_back("/etc/xdg/tamrel");
    return folders;
}

}  // namespace

namespace {

// A field of the running user's entry in the user database, or "".
std::string OwnAccount(char* passwd::*field) {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    return found && found->*field ? found->*field : "";
}

}  // namespace

std::string HomeOfUser() { return OwnAccount(&passwd::pw_dir); }

std::string NameOfUser() { return OwnAccount(&passwd::pw_name); }

TamrelFolders FoldersFor(const std::string& executable, const Environment& environment,
                         const AccountHome& accountHome) {
    const auto slash = executable.rfind('/');
    const std::string program = slash == 0 || slash == std::string::npos ? "/" : executable.substr(0, slash);
    if (!executable.starts_with("/usr/")) return {program, program, program, {}};
    const std::string home = Home(environment, accountHome);
    const std::string config = BaseFolder(environment, "XDG_CONFIG_HOME", home, "/.config");
    const std::string state = BaseFolder(environment, "XDG_STATE_HOME", home, "/.local/state");
    if (config.empty() || state.empty()) {
        throw std::runtime_error(
            "this user has no home folder to keep Tamrel's files in (HOME is not set and the user database "
            "names none); set HOME, or XDG_CONFIG_HOME and XDG_STATE_HOME");
    }
    return {program, config + "/tamrel", state + "/tamrel", SystemConfigFolders(environment)};
}

std::string AutostartEntryFor(const Environment& environment, const AccountHome& accountHome) {
    return BaseFolder(environment, "XDG_CONFIG_HOME", Home(environment, accountHome), "/.config") +
           "/autostart/tamrel.desktop";
}

void MakeFolders(const std::string& folder) {
    for (auto slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) return;
    }
}

}  // namespace tamrel
