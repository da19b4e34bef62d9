#include "platform/posix/ClosingTimer.h"

#include <sys/timerfd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include "run/NextOccurrence.h"

namespace tamrel {

ClosingTimer::ClosingTimer(ProgramWatch& watch, long minutes)
    : watch_(watch), minutes_(minutes), fd_(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK)) {
    if (!fd_) {
        watch_.Note(std::string("The closing time cannot be watched: ") + std::strerror(errno) + ".");
        return;
    }
    Arm();
}

void ClosingTimer::Arm() {
    // The time zone may have changed along with the clock.
    ::tzset();
    itimerspec at{};
    at.it_value.tv_sec = NextOccurrence(std::time(nullptr), minutes_);
    if (::timerfd_settime(fd_.get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr) != 0) {
        watch_.Note(std::string("The closing time cannot be watched: ") + std::strerror(errno) + ".");
        fd_ = OwnedFd();
    }
}

void ClosingTimer::Read(SteadyMs now) {
    std::uint64_t expirations = 0;
    if (::read(fd_.get(), &expirations, sizeof expirations) == sizeof expirations) {
        watch_.ClosingTimeReached(now);
        Arm();
    } else if (errno == ECANCELED) {
        Arm();
    }
}

}  // namespace tamrel
