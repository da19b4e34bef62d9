#include "platform/posix/EvdevJoystick.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tamrel {

EvdevJoystick::EvdevJoystick(OwnedFd fd, std::string path, const AxisRanges& axes)
    : fd_(std::move(fd)), path_(std::move(path)) {
    for (std::size_t code = 0; code < axes.size(); ++code) {
        axes_[code].range = axes[code];
        if (axes[code].present) axes_[code].motion.Moved(axes[code].value, axes[code].minimum, axes[code].maximum);
    }
}

bool EvdevJoystick::Counts(const input_event& event) {
    if (event.type == EV_KEY) return event.value == 1;  // a press; not its release or the repeat of a held one
    if (event.type != EV_ABS || event.code >= axes_.size()) return false;
    Axis& axis = axes_[event.code];
    if (!axis.range.present) return false;
    return axis.motion.Moved(event.value, axis.range.minimum, axis.range.maximum);
}

EvdevJoystick::Outcome EvdevJoystick::Read() {
    Outcome outcome;
    unsigned char buffer[64 * sizeof(input_event)];
    for (;;) {
        std::memcpy(buffer, partial_.data(), partialSize_);
        const ssize_t got = ::read(fd_.get(), buffer + partialSize_, sizeof buffer - partialSize_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return outcome;
        if (got <= 0) {  // ENODEV once unplugged
            outcome.gone = true;
            return outcome;
        }
        const std::size_t size = partialSize_ + static_cast<std::size_t>(got);
        std::size_t at = 0;
        for (; at + sizeof(input_event) <= size; at += sizeof(input_event)) {
            input_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            if (Counts(event)) outcome.input = true;
        }
        partialSize_ = size - at;
        std::memcpy(partial_.data(), buffer + at, partialSize_);
    }
}

}  // namespace tamrel
