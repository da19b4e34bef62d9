#include "platform/win32/Win32IdleInput.h"

#include "platform/win32/Win32Api.h"

namespace tamrel::win32 {

namespace {

// Empty slots are asked once a second: winmm can be slow to say a slot is
// empty.
constexpr int kLooksBetweenSearches = 1000 / kIdleLookMs;

}  // namespace

bool JoystickActivity::Look() {
    const bool search = looksToSearch_-- <= 0;
    if (search) looksToSearch_ = kLooksBetweenSearches - 1;
    const unsigned count = search ? slots_.Count() : 0;
    for (unsigned slot = 0; slot < count; ++slot) {
        if (known_.contains(slot)) continue;
        const std::optional<JoystickReading> reading = slots_.Read(slot);
        // Plugging a joystick in is not playing: what it holds is where it rests.
        if (reading) Played(known_[slot], *reading);
    }
    bool played = false;
    for (auto it = known_.begin(); it != known_.end();) {
        const std::optional<JoystickReading> reading = slots_.Read(it->first);
        if (!reading) {
            it = known_.erase(it);
            continue;
        }
        played = Played(it->second, *reading) || played;
        ++it;
    }
    return played;
}

bool JoystickActivity::Played(Board& board, const JoystickReading& reading) {
    bool played = (reading.buttons & ~board.buttons) != 0 || (reading.hat != board.hat && reading.hat != kHatCentred);
    board.buttons = reading.buttons;
    board.hat = reading.hat;
    board.axes.resize(reading.axes.size());
    for (std::size_t i = 0; i < reading.axes.size(); ++i) {
        const JoystickAxis& axis = reading.axes[i];
        played = board.axes[i].Moved(axis.value, axis.minimum, axis.maximum) || played;
    }
    return played;
}

Win32IdleInput::Win32IdleInput() : slots_(SystemJoystickSlots()), joysticks_(*slots_) {}

void Win32IdleInput::Look(ProgramWatch& watch, SteadyMs now) {
    LASTINPUTINFO last{};
    last.cbSize = sizeof last;
    // The tick is read after the last input, so that it is never behind it.
    if (::GetLastInputInfo(&last)) {
        const DWORD tick = ::GetTickCount();
        if (const std::optional<SteadyMs> at = keysAndMice_.Look(last.dwTime, tick, now)) watch.InputSeen(*at);
    }
    if (joysticks_.Look()) watch.InputSeen(now);
}

}  // namespace tamrel::win32
