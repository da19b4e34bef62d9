#pragma once
// One joystick's event device while the program runs: its button presses
// and the axes that moved far enough count as input.

#include <linux/input.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/AxisMotion.h"
#include "platform/posix/OwnedFd.h"

namespace tamrel {

// An absolute axis as the device describes it.
struct AxisRange {
    bool present = false;
    std::int32_t value = 0;  // where it stands when opened
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};
using AxisRanges = std::array<AxisRange, ABS_CNT>;

class EvdevJoystick {
public:
    EvdevJoystick(OwnedFd fd, std::string path, const AxisRanges& axes);
    int Descriptor() const { return fd_.get(); }
    const std::string& Path() const { return path_; }

    struct Outcome {
        bool input = false;
        bool gone = false;  // unplugged: nothing more will come
    };
    // Takes all the events there are.
    Outcome Read();
    // One event; true when it is somebody playing.
    bool Counts(const input_event& event);

private:
    struct Axis {
        AxisRange range;
        AxisMotion motion;
    };
    OwnedFd fd_;
    std::string path_;
    std::array<Axis, ABS_CNT> axes_{};
    // A read may end inside an event on something that is not a device.
    std::array<unsigned char, sizeof(input_event)> partial_{};
    std::size_t partialSize_ = 0;
};

}  // namespace tamrel
