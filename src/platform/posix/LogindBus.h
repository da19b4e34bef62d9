#pragma once
// Where systemd-logind answers on the system bus, and sd-bus's handles as
// owners.

#include <systemd/sd-bus.h>

#include <memory>

namespace tamrel::logind {

inline constexpr const char* kService = "org.freedesktop.login1";
inline constexpr const char* kPath = "/org/freedesktop/login1";
inline constexpr const char* kManager = "org.freedesktop.login1.Manager";

struct BusCloser {
    // Never flushes: that could wait on a stuck bus.
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
struct SlotReleaser {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using Bus = std::unique_ptr<sd_bus, BusCloser>;
using Slot = std::unique_ptr<sd_bus_slot, SlotReleaser>;

}  // namespace tamrel::logind
