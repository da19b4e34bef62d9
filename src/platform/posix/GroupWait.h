#pragma once
// The wait for one program and the process group it started, as one poll:
// the family's ends and the requests to stop come as signals through a
// descriptor, beside the descriptors of the watch's input sources.

#include <sys/types.h>

#include <chrono>

#include "platform/Processes.h"

namespace tamrel {

class LogindShutdownWatch;

class GroupWait {
public:
    enum class Outcome {
        Ended,     // the group has ended, or nothing more can be known
        Stopped,   // Tamrel was asked to stop; the group was asked to end
        WatchDue,  // the watch said so; the group still runs
        Deadline,  // the time given passed; the group still runs
    };

    GroupWait(pid_t child, std::chrono::steady_clock::time_point started) : child_(child), started_(started) {}

    pid_t child() const { return child_; }
    // It ended, or Tamrel was asked to stop: a later wait starts afresh.
    bool finished() const { return finished_; }
    // Blocks until one of the outcomes. `watch` may be null; `deadline` on
    // the steady clock of SteadyNow(), or kNoDeadline. `outside`, heard
    // only with a watch, tells it of a shutdown from outside.
    Outcome Wait(ProgramWatch* watch, SteadyMs deadline, LogindShutdownWatch* outside = nullptr);
    // What is known so far of the program's end.
    const ProgramEnd& end() const { return end_; }

private:
    Outcome Await(ProgramWatch* watch, SteadyMs deadline, LogindShutdownWatch* outside);
    // Reaps all that ended; false when the program was reaped elsewhere.
    bool Reap();
    double Since() const;

    pid_t child_;
    std::chrono::steady_clock::time_point started_;
    ProgramEnd end_;
    bool looked_ = false;
    bool programEnded_ = false;
    bool othersLeft_ = false;
    bool finished_ = false;
};

// Now, in milliseconds of the steady clock the watches are told.
SteadyMs SteadyNow();

}  // namespace tamrel
