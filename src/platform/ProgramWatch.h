#pragma once
// What the wait for the program watches besides its end. The backends only
// report what they saw (input, a source gone idle, a device that cannot be
// read) and ask at the times named here; the core decides what follows.

#include <cstdint>
#include <string>

namespace tamrel {

// Milliseconds on a steady clock (never set back, not the time of day).
using SteadyMs = std::int64_t;
inline constexpr SteadyMs kNoDeadline = -1;
// Minutes after local midnight; none.
inline constexpr long kNoClosingTime = -1;

class ProgramWatch {
public:
    virtual ~ProgramWatch() = default;
    // Whole minutes without input after which the program is to be asked to
    // end; 0 when no input needs watching, and no source is opened.
    virtual int IdleMinutes() const = 0;
    // The user did something at `now`: a key, a button, mouse motion, a
    // joystick button or an axis moved far enough.
    virtual void InputSeen(SteadyMs now) = 0;
    // A source that tells only idleness (a compositor's idle notification,
    // set to IdleMinutes()) has seen no input for that long (`idle`), or
    // has seen input again. While such a source is not idle, input may be
    // happening that nobody reports, and the watch never ends the program.
    virtual void SourceIdle(bool idle, SteadyMs now) = 0;
    // A line for the event log, once, such as a device that may not be read.
    virtual void Note(const std::string& line) = 0;
    // When the wait must next call Due(); kNoDeadline for never.
    virtual SteadyMs NextDue() const = 0;
    // Called at or after NextDue(): true when the program is to be asked to
    // end now. The watch has then logged why.
    virtual bool Due(SteadyMs now) = 0;

    // The local time of day at which the program is to be asked to end, or
    // kNoClosingTime. The wait arms a timer on the real-time clock for its
    // next occurrence after the wait began, arms it again when the clock is
    // set or the time zone changes, and reports when it is reached.
    virtual long ClosingTime() const { return kNoClosingTime; }
    virtual void ClosingTimeReached(SteadyMs) {}
    // The system is shutting down at somebody else's request (the power
    // button, another program): the program has `graceMs` to save and end.
    // The wait reports it only while it holds the system's shutdown back
    // (a delay inhibitor, a block reason), which it lets go once the run
    // has ended.
    virtual void SystemShuttingDown(SteadyMs, int /*graceMs*/) {}
};

}  // namespace tamrel
