#pragma once
// The closing time as a descriptor for the wait's poll: a timer on the
// real-time clock that also wakes when the clock is set, so a changed clock
// or time zone moves it to the new next occurrence.

#include "platform/ProgramWatch.h"
#include "platform/posix/OwnedFd.h"

namespace tamrel {

class ClosingTimer {
public:
    // Armed for the next occurrence of `minutes` after local midnight; no
    // descriptor when the system has no such timer (the watch is told).
    ClosingTimer(ProgramWatch& watch, long minutes);

    int Descriptor() const { return fd_.get(); }
    // The descriptor was readable: the time was reached (the watch is told)
    // or the clock was set (armed again).
    void Read(SteadyMs now);

private:
    void Arm();

    ProgramWatch& watch_;
    long minutes_;
    OwnedFd fd_;
};

}  // namespace tamrel
