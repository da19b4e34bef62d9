#pragma once
// The system tells when the last key or mouse input came as a 32-bit
// millisecond tick, which wraps every 49.7 days; the wait's clock never does.
// Kept free of the Windows headers, so the arithmetic is tested everywhere.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/ProgramWatch.h"

namespace tamrel::win32 {

// When the input told by `lastInput` happened on the wait's clock, given
// that the system's tick read `tick` at `now`. Never before `since`: a
// last-input tick that changed since the previous look is input after it.
inline SteadyMs InputTime(std::uint32_t lastInput, std::uint32_t tick, SteadyMs now, SteadyMs since) {
    // Unsigned: right across the wrap.
    const std::uint32_t ago = tick - lastInput;
    // Ahead of the tick: the input came between the two reads.
    if (ago > 0x80000000u) return now;
    return std::max(now - static_cast<SteadyMs>(ago), since);
}

// Follows the last-input tick from look to look.
class LastInputTicks {
public:
    // The time of new input; nothing at the first look (input before the
    // wait is not the program's) or when the tick has not changed.
    std::optional<SteadyMs> Look(std::uint32_t lastInput, std::uint32_t tick, SteadyMs now) {
        const std::optional<std::uint32_t> before = std::exchange(lastInput_, lastInput);
        const SteadyMs since = std::exchange(lookedAt_, now);
        if (!before || *before == lastInput) return std::nullopt;
        return InputTime(lastInput, tick, now, since);
    }

private:
    std::optional<std::uint32_t> lastInput_;
    SteadyMs lookedAt_ = 0;
};

}  // namespace tamrel::win32
