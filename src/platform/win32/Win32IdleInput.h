#pragma once
// The user's input while the program runs, for the idle clock: keys and
// mice through the system's last-input time, joysticks through winmm. Both
// are looked at, not listened to: the wait calls Look() four times a second.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/AxisMotion.h"
#include "platform/ProgramWatch.h"
#include "platform/win32/InputTicks.h"
#include "platform/win32/Win32Joysticks.h"

namespace tamrel::win32 {

inline constexpr int kIdleLookMs = 250;

// Whether any joystick was played since the last look: a button pressed,
// the hat pushed, or an axis moved more than a quarter of its range.
class JoystickActivity {
public:
    explicit JoystickActivity(JoystickSlots& slots) : slots_(slots) {}
    bool Look();

private:
    struct Board {
        std::uint32_t buttons = 0;
        std::uint32_t hat = kHatCentred;
        std::vector<AxisMotion> axes;
    };
    bool Played(Board& board, const JoystickReading& reading);

    JoystickSlots& slots_;
    std::map<unsigned, Board> known_;
    int looksToSearch_ = 0;
};

class Win32IdleInput {
public:
    Win32IdleInput();
    // Tells the watch about input since the last look.
    void Look(ProgramWatch& watch, SteadyMs now);

private:
    LastInputTicks keysAndMice_;
    std::unique_ptr<JoystickSlots> slots_;
    JoystickActivity joysticks_;
};

}  // namespace tamrel::win32
