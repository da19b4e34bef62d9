#include "platform/posix/LogindShutdownWatch.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cerrno>
#include <cstring>

#include "platform/posix/LogindBus.h"

namespace tamrel {

namespace {

using logind::kManager;
using logind::kPath;
using logind::kService;
// logind's own default for InhibitDelayMaxUSec, for a logind that does not say.
constexpr std::uint64_t kDefaultDelayUsec = 5'000'000;

int GraceOf(std::uint64_t delayUsec) {
    const std::uint64_t ms = delayUsec / 1000;
    return static_cast<int>(std::min<std::uint64_t>(ms > 1000 ? ms - 1000 : 0, INT_MAX));
}

// A bus or logind that is not there is no refusal: nothing to tell.
bool Absent(const sd_bus_error* error) {
    return error && (sd_bus_error_has_name(error, "org.freedesktop.DBus.Error.ServiceUnknown") ||
                     sd_bus_error_has_name(error, "org.freedesktop.DBus.Error.NameHasNoOwner"));
}

}  // namespace

struct LogindShutdownWatch::Bus {

    static int OnPrepare(sd_bus_message* signal, void* self, sd_bus_error*) {
        int starting = 0;
        auto& watch = *static_cast<LogindShutdownWatch*>(self);
        // PrepareForShutdown(false) is a shutdown called off; sleep is
        // another signal and leaves the program alone.
        if (sd_bus_message_read(signal, "b", &starting) >= 0 && starting && watch.shutdown_ == Shutdown::None) {
            watch.shutdown_ = Shutdown::Heard;
        }
        return 0;
    }

    static int OnInhibit(sd_bus_message* reply, void* self, sd_bus_error*) {
        auto& watch = *static_cast<LogindShutdownWatch*>(self);
        if (sd_bus_message_is_method_error(reply, nullptr)) {
            const sd_bus_error* error = sd_bus_message_get_error(reply);
            if (Absent(error)) return 0;
            watch.refusal_ = error && error->message && *error->message ? error->message
                             : error && error->name                     ? error->name
                                                                        : "an error without a name";
            return 0;
        }
        int fd = -1;
        if (sd_bus_message_read(reply, "h", &fd) < 0 || fd < 0) {
            watch.refusal_ = "logind's answer holds no descriptor";
            return 0;
        }
        // The message owns its descriptor; this copy, like every descriptor
        // of Tamrel's, is not handed on to what it starts.
        watch.inhibitor_ = OwnedFd(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
        if (!watch.inhibitor_) watch.refusal_ = std::strerror(errno);
        return 0;
    }

    static int OnDelay(sd_bus_message* reply, void* self, sd_bus_error*) {
        std::uint64_t usec = 0;
        if (!sd_bus_message_is_method_error(reply, nullptr) && sd_bus_message_read(reply, "v", "t", &usec) >= 0) {
            static_cast<LogindShutdownWatch*>(self)->graceMs_ = GraceOf(usec);
        }
        return 0;
    }

    // Declared first, the connection goes last, after the slots on it.
    logind::Bus bus;
    logind::Slot match;
    logind::Slot inhibit;
    logind::Slot delay;
};

LogindShutdownWatch::LogindShutdownWatch(const std::string& program)
    : program_(program), bus_(std::make_unique<Bus>()), graceMs_(GraceOf(kDefaultDelayUsec)) {
    // No system bus, no logind: quietly nothing.
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) {
        bus_.reset();
        return;
    }
    bus_->bus.reset(bus);
    const std::string why = "Letting " + program + " save and end";
    sd_bus_slot* match = nullptr;
    sd_bus_slot* delay = nullptr;
    sd_bus_slot* inhibit = nullptr;
    // In this order on one connection: the match is in place before the
    // inhibitor exists, so no shutdown it holds back goes unheard.
    const bool sent =
        sd_bus_match_signal_async(bus, &match, kService, kPath, kManager, "PrepareForShutdown", Bus::OnPrepare,
                                  nullptr, this) >= 0 &&
        sd_bus_call_method_async(bus, &delay, kService, kPath, "org.freedesktop.DBus.Properties", "Get",
                                 Bus::OnDelay, this, "ss", kManager, "InhibitDelayMaxUSec") >= 0 &&
        sd_bus_call_method_async(bus, &inhibit, kService, kPath, kManager, "Inhibit", Bus::OnInhibit, this,
                                 "ssss", "shutdown", "Tamrel", why.c_str(), "delay") >= 0;
    bus_->match.reset(match);
    bus_->delay.reset(delay);
    bus_->inhibit.reset(inhibit);
    if (!sent) bus_.reset();
}

LogindShutdownWatch::~LogindShutdownWatch() = default;

int LogindShutdownWatch::Descriptor() const { return bus_ ? sd_bus_get_fd(bus_->bus.get()) : -1; }

short LogindShutdownWatch::Events() const {
    const int events = bus_ ? sd_bus_get_events(bus_->bus.get()) : 0;
    return static_cast<short>(events > 0 ? events : 0);
}

SteadyMs LogindShutdownWatch::NextDue() const {
    std::uint64_t usec = UINT64_MAX;
    if (!bus_ || sd_bus_get_timeout(bus_->bus.get(), &usec) < 0 || usec == UINT64_MAX) return kNoDeadline;
    // On CLOCK_MONOTONIC, which is the steady clock's.
    return static_cast<SteadyMs>((usec + 999) / 1000);
}

void LogindShutdownWatch::Process(ProgramWatch& watch, SteadyMs now) {
    int result = 0;
    while (bus_ && (result = sd_bus_process(bus_->bus.get(), nullptr)) > 0) {
    }
    // A lost bus leaves the inhibitor held; only the signal can no longer come.
    if (result < 0) bus_.reset();
    if (!refusal_.empty() && !refusalTold_) {
        refusalTold_ = true;
        watch.Note("A power-off from outside will not wait for " + program_ + " to save and end: logind refused (" +
                   refusal_ + ").");
    }
    if (shutdown_ == Shutdown::Heard && inhibitor_) {
        shutdown_ = Shutdown::Told;
        watch.SystemShuttingDown(now, graceMs_);
    }
}

}  // namespace tamrel
