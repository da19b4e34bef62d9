#include "platform/posix/JoystickSource.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/utsname.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/posix/JoystickBits.h"
#include "platform/posix/PosixError.h"

namespace tamrel {

namespace {

constexpr std::uint64_t kChangesTag = 0;

// The width of the kernel's long, in which sysfs writes its bitmaps: a 32-bit
// program may run on a 64-bit kernel (Raspberry Pi OS's 32-bit system does).
unsigned KernelWordBits() {
    utsname system{};
    if (::uname(&system) != 0) return sizeof(long) * 8;
    const std::string machine = system.machine;
    return machine.find("64") != std::string::npos || machine == "s390x" ? 64 : 32;
}

bool IsEventNode(const std::string& name) { return name.rfind("event", 0) == 0 && name.size() > 5; }

class KernelDevices : public EventDevices {
public:
    OwnedFd Open(const std::string& path, int& error) override {
        OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        error = fd ? 0 : errno;
        return fd;
    }

    std::optional<AxisRanges> Joystick(int fd) override {
        unsigned char keyBytes[KEY_CNT / 8 + 1] = {};
        if (::ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keyBytes), keyBytes) < 0) return std::nullopt;
        KeyBits keys;
        for (std::size_t bit = 0; bit < keys.size(); ++bit)
            if (keyBytes[bit / 8] >> (bit % 8) & 1) keys.set(bit);
        if (!IsJoystick(keys)) return std::nullopt;
        AxisRanges axes{};
        unsigned char absBytes[ABS_CNT / 8 + 1] = {};
        if (::ioctl(fd, EVIOCGBIT(EV_ABS, sizeof absBytes), absBytes) < 0) return axes;
        for (unsigned code = 0; code < ABS_CNT; ++code) {
            input_absinfo info{};
            if (!(absBytes[code / 8] >> (code % 8) & 1) || ::ioctl(fd, EVIOCGABS(code), &info) < 0) continue;
            axes[code] = {true, info.value, info.minimum, info.maximum};
        }
        return axes;
    }

    bool IsJoystickNode(const std::string& name) override {
        std::ifstream file("/sys/class/input/" + name + "/device/capabilities/key");
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        KeyBits keys;
        return file && ParseCapabilityText(text, KernelWordBits(), keys) && IsJoystick(keys);
    }
};

}  // namespace

std::unique_ptr<EventDevices> KernelEventDevices() { return std::make_unique<KernelDevices>(); }

JoystickSource::JoystickSource(std::string folder, std::unique_ptr<EventDevices> devices, ProgramWatch& watch)
    : folder_(std::move(folder)), devices_(std::move(devices)),
      changes_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    // Watched before the folder is read, so that nothing plugged in between is missed.
    if (!changes_ || ::inotify_add_watch(changes_.get(), folder_.c_str(), IN_CREATE | IN_ATTRIB) < 0) {
        // A machine without the folder has no input device at all to plug in beside.
        if (errno != ENOENT)
            watch.Note("Joysticks plugged in from now on are not seen: " + std::string(std::strerror(errno)) +
                       ": " + folder_ + ".");
        changes_ = OwnedFd();
    } else {
        set_.Add(changes_.get(), kChangesTag);
    }
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder_.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (IsEventNode(entry->d_name)) names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) Consider(name, true, watch);
}

void JoystickSource::Consider(const std::string& name, bool settled, ProgramWatch& watch) {
    const std::string path = folder_ + "/" + name;
    for (const auto& [tag, joystick] : joysticks_)
        if (joystick->Path() == path) return;
    int error = 0;
    OwnedFd fd = devices_->Open(path, error);
    if (!fd) {
        if (settled && (error == EACCES || error == EPERM) && devices_->IsJoystickNode(name) &&
            refusalsTold_.insert(path).second)
            watch.Note("Joystick " + path + " may not be read (" + std::strerror(error) +
                       "): its input does not count.");
        return;
    }
    const std::optional<AxisRanges> axes = devices_->Joystick(fd.get());
    if (!axes) return;
    const std::uint64_t tag = nextTag_++;
    auto joystick = std::make_unique<EvdevJoystick>(std::move(fd), path, *axes);
    set_.Add(joystick->Descriptor(), tag);
    joysticks_.emplace(tag, std::move(joystick));
}

void JoystickSource::ReadChanges(ProgramWatch& watch) {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(changes_.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        for (ssize_t at = 0; at < got;) {
            const auto* change = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + change->len);
            if (change->len > 0 && IsEventNode(change->name))
                Consider(change->name, (change->mask & IN_ATTRIB) != 0, watch);
        }
    }
}

void JoystickSource::Read(ProgramWatch& watch, SteadyMs now) {
    bool input = false;
    for (const EpollSet::Ready& ready : set_.Take()) {
        if (ready.tag == kChangesTag) {
            ReadChanges(watch);
            continue;
        }
        const auto found = joysticks_.find(ready.tag);
        if (found == joysticks_.end()) continue;
        const EvdevJoystick::Outcome outcome = found->second->Read();
        input = input || outcome.input;
        if (outcome.gone) {
            set_.Remove(found->second->Descriptor());
            joysticks_.erase(found);
        }
    }
    if (input) watch.InputSeen(now);
}

}  // namespace tamrel
