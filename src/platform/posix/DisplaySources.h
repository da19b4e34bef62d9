#pragma once
// The display server as an input source: X11's raw input, or a Wayland
// compositor's idle notification on a connection of Tamrel's own.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/posix/InputSources.h"

namespace tamrel {

struct DisplaySource {
    std::unique_ptr<InputSource> source;
    // Without a source: whether the display answered at all, and why it cannot be watched.
    bool reached = false;
    std::string why;
};

// Every key press, button press and motion of every device, whichever
// window has the focus.
DisplaySource OpenX11RawInput(const std::string& display);

// Reports SourceIdle() after `timeoutMs` without input on every seat, and
// input again when it comes.
DisplaySource OpenWaylandIdle(const std::string& display, std::uint32_t timeoutMs);

}  // namespace tamrel
