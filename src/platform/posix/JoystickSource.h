#pragma once
// The joysticks' event devices as one input source: those there when the
// wait starts and those plugged in during it (inotify on their folder).
// Opened read-only and non-blocking and never grabbed, so the program reads
// them as ever.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/posix/EpollSet.h"
#include "platform/posix/EvdevJoystick.h"
#include "platform/posix/InputSources.h"

namespace tamrel {

// What the source asks the system about a device node.
class EventDevices {
public:
    virtual ~EventDevices() = default;
    // Opened for reading without blocking; empty with `error` set when refused.
    virtual OwnedFd Open(const std::string& path, int& error) = 0;
    // Its axes when it is a joystick; nothing for any other device.
    virtual std::optional<AxisRanges> Joystick(int fd) = 0;
    // For a node that may not be opened: whether it is a joystick, as far
    // as can be told without opening it.
    virtual bool IsJoystickNode(const std::string& name) = 0;
};

// The kernel's answers (ioctls, and sysfs for what may not be opened).
std::unique_ptr<EventDevices> KernelEventDevices();

class JoystickSource : public InputSource {
public:
    // Raises when not even the descriptor can be had.
    JoystickSource(std::string folder, std::unique_ptr<EventDevices> devices, ProgramWatch& watch);
    int Descriptor() const override { return set_.Descriptor(); }
    void Read(ProgramWatch& watch, SteadyMs now) override;
    // The joysticks open now.
    std::size_t Count() const { return joysticks_.size(); }

private:
    // `settled`: the node has its final owner and mode (not one just made,
    // before udev has given it to the user), so a refusal is told.
    void Consider(const std::string& name, bool settled, ProgramWatch& watch);
    void ReadChanges(ProgramWatch& watch);

    std::string folder_;
    std::unique_ptr<EventDevices> devices_;
    EpollSet set_;
    OwnedFd changes_;
    std::uint64_t nextTag_ = 1;
    std::map<std::uint64_t, std::unique_ptr<EvdevJoystick>> joysticks_;
    std::set<std::string> refusalsTold_;
};

}  // namespace tamrel
