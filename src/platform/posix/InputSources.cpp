#include "platform/posix/InputSources.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/RuntimeError.h"
#include "platform/posix/DisplaySources.h"
#include "platform/posix/JoystickSource.h"

namespace tamrel {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::vector<std::unique_ptr<InputSource>> OpenInputSources(ProgramWatch& watch) {
    std::vector<std::unique_ptr<InputSource>> sources;
    if (watch.IdleMinutes() <= 0) return sources;
    const auto timeoutMs = static_cast<std::uint32_t>(watch.IdleMinutes()) * 60000U;

    // The display the screen will use: Wayland first, X11 when there is no
    // compositor that answers. A compositor that answers without telling
    // idle time is not passed over for its X server, which sees only what
    // goes to X programs.
    DisplaySource display;
    const std::string wayland = Variable("WAYLAND_DISPLAY");
    const std::string x11 = Variable("DISPLAY");
    bool tellsOnlyIdleness = false;
    try {
        if (!wayland.empty()) display = OpenWaylandIdle(wayland, timeoutMs);
        tellsOnlyIdleness = display.source != nullptr;
        if (!display.source && !display.reached && !x11.empty()) display = OpenX11RawInput(x11);
    } catch (const RuntimeError& error) {
        display = {nullptr, true, error.Description()};
    }
    const SteadyMs now = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count();
    // A compositor's notification starts out active; and where keys and mice
    // cannot be seen at all, somebody may be playing with them.
    if (!display.source || tellsOnlyIdleness) watch.SourceIdle(false, now);
    if (display.source)
        sources.push_back(std::move(display.source));
    else
        watch.Note("Keys and mice cannot be watched (" + (display.why.empty() ? "no display" : display.why) +
                   "): the program is not ended for want of input.");

    try {
        sources.push_back(std::make_unique<JoystickSource>("/dev/input", KernelEventDevices(), watch));
    } catch (const RuntimeError& error) {
        watch.Note("Joysticks cannot be watched: " + error.Description() + ".");
    }
    return sources;
}

}  // namespace tamrel
