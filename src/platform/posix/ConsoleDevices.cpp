#include "platform/posix/ConsoleDevices.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <systemd/sd-login.h>
#include <unistd.h>
#include <xf86drm.h>
#include <xf86drmMode.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <memory>
#include <string_view>

#include "platform/posix/OwnedFd.h"
#include "platform/posix/UserFolders.h"

namespace tamrel {

namespace {

constexpr unsigned kTtyMajor = 4;
constexpr unsigned kLastVirtualConsole = 63;

bool IsVirtualConsole(dev_t device) {
    return major(device) == kTtyMajor && minor(device) >= 1 && minor(device) <= kLastVirtualConsole;
}

// The controlling terminal's device number, from /proc/self/stat.
dev_t ControllingTty() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // The command's name may hold anything but ends at the last ')'.
    const std::size_t after = line.rfind(')');
    if (after == std::string::npos) return 0;
    std::string field;
    long fields[5] = {};
    std::istringstream rest(line.substr(after + 1));
    rest >> field;  // state
    for (long& value : fields) rest >> value;  // ppid pgrp session tty_nr tpgid
    return static_cast<dev_t>(fields[3]);
}

// logind's own word: a tty session on a seat's virtual console (not an
// ssh login, which has no console of its own).
bool LogindConsoleSession() {
    char* session = nullptr;
    if (sd_pid_get_session(0, &session) < 0 || !session) return false;
    const std::unique_ptr<char, decltype(&std::free)> owned(session, &std::free);
    char* type = nullptr;
    if (sd_session_get_type(session, &type) < 0 || !type) return false;
    const std::unique_ptr<char, decltype(&std::free)> ownedType(type, &std::free);
    unsigned vt = 0;
    return std::string_view(type) == "tty" && sd_session_get_vt(session, &vt) >= 0 && vt > 0;
}

bool OnVirtualConsole() {
    struct stat input{};
    if (::isatty(STDIN_FILENO) && ::fstat(STDIN_FILENO, &input) == 0 && IsVirtualConsole(input.st_rdev)) return true;
    return IsVirtualConsole(ControllingTty()) || LogindConsoleSession();
}

struct Folder {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Names in `folder` that start with `prefix` and go on with a number, in
// the order of that number.
std::vector<std::string> Numbered(const std::string& folder, std::string_view prefix) {
    std::vector<std::pair<long, std::string>> found;
    const std::unique_ptr<DIR, Folder> dir(::opendir(folder.c_str()));
    if (!dir) return {};
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || name.size() == prefix.size()) continue;
        const std::string_view number = name.substr(prefix.size());
        if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        found.emplace_back(std::stol(std::string(number)), folder + "/" + std::string(name));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& [number, path] : found) paths.push_back(std::move(path));
    return paths;
}

// The first connected output with a mode: the size Qt will take, its
// preferred mode, else the first.
void FindOutput(int fd, CardSurvey& card) {
    const std::unique_ptr<drmModeRes, decltype(&drmModeFreeResources)> resources(drmModeGetResources(fd),
                                                                                 &drmModeFreeResources);
    if (!resources) return;
    for (int i = 0; i < resources->count_connectors; ++i) {
        const std::unique_ptr<drmModeConnector, decltype(&drmModeFreeConnector)> connector(
            drmModeGetConnector(fd, resources->connectors[i]), &drmModeFreeConnector);
        if (!connector || connector->connection != DRM_MODE_CONNECTED || connector->count_modes <= 0) continue;
        const drmModeModeInfo* mode = &connector->modes[0];
        for (int m = 0; m < connector->count_modes; ++m) {
            if (connector->modes[m].type & DRM_MODE_TYPE_PREFERRED) {
                mode = &connector->modes[m];
                break;
            }
        }
        card.width = mode->hdisplay;
        card.height = mode->vdisplay;
        return;
    }
}

// The framebuffer the kernel made on a card with a screen, which /sys lists
// beside the card; none when it is not there or cannot be opened but for
// the user's rights.
void FindFramebuffer(CardSurvey& card) {
    const std::string name = card.device.substr(card.device.rfind('/') + 1);
    const std::vector<std::string> found = Numbered("/sys/class/drm/" + name + "/device/graphics", "fb");
    if (found.empty()) return;
    const std::string device = "/dev/" + found.front().substr(found.front().rfind('/') + 1);
    const OwnedFd fd(::open(device.c_str(), O_RDWR | O_CLOEXEC));
    card.framebufferRefused = !fd && (errno == EACCES || errno == EPERM);
    if (fd || card.framebufferRefused) card.framebuffer = device;
}

std::vector<CardSurvey> SurveyCards() {
    std::vector<CardSurvey> cards;
    for (const std::string& device : Numbered("/dev/dri", "card")) {
        CardSurvey card{device};
        // As Qt will open it.
        const OwnedFd fd(::open(device.c_str(), O_RDWR | O_CLOEXEC));
        if (!fd) {
            if (errno != EACCES && errno != EPERM) continue;
            card.refused = true;
        } else {
            FindOutput(fd.get(), card);
            if (card.width > 0) FindFramebuffer(card);
        }
        cards.push_back(card);
    }
    return cards;
}

void SurveyInput(DisplaySurvey& survey) {
    std::string refused;
    for (const std::string& device : Numbered("/dev/input", "event")) {
        ++survey.inputDevices;
        const OwnedFd fd(::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd) return;
        if ((errno == EACCES || errno == EPERM) && refused.empty()) refused = device;
    }
    survey.refusedInput = refused;
}

}  // namespace

void SurveyConsole(DisplaySurvey& survey) {
    survey.virtualConsole = OnVirtualConsole();
    if (!survey.virtualConsole) return;
    survey.cards = SurveyCards();
    SurveyInput(survey);
    survey.user = NameOfUser();
}

bool WaitForFreeCard(const std::string& device, int patienceMs) {
    constexpr auto kPause = std::chrono::milliseconds(100);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
    for (;;) {
        {
            // Whoever opens a card nobody drives becomes its master.
            const OwnedFd fd(::open(device.c_str(), O_RDWR | O_CLOEXEC));
            if (!fd || drmIsMaster(fd.get())) return true;
        }
        if (std::chrono::steady_clock::now() >= giveUp) return false;
        std::this_thread::sleep_for(kPause);
    }
}

void ReleaseDrmCards() {
    for (const std::string& link : Numbered("/proc/self/fd", "")) {
        char target[64] = {};
        if (::readlink(link.c_str(), target, sizeof target - 1) <= 0) continue;
        if (!std::string_view(target).starts_with("/dev/dri/card")) continue;
        const int fd = std::stoi(link.substr(link.rfind('/') + 1));
        // Not handed on to what Tamrel starts next, either.
        ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
        ::ioctl(fd, DRM_IOCTL_DROP_MASTER, 0);
    }
}

}  // namespace tamrel
