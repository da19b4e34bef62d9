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
};

}  // namespace tamrel
