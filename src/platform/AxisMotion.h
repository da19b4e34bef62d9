#pragma once
// Whether a joystick axis moved far enough to count as somebody playing:
// more than a quarter of its range away from where it last counted. Noisy
// sticks and drifting pads stay within that, and must not keep a cabinet on.

#include <cstdint>

namespace tamrel {

class AxisMotion {
public:
    // The first reading only sets where the axis rests.
    bool Moved(std::int32_t value, std::int32_t minimum, std::int32_t maximum) {
        if (!known_) {
            known_ = true;
            counted_ = value;
            return false;
        }
        const std::int64_t range = static_cast<std::int64_t>(maximum) - minimum;
        const std::int64_t distance = static_cast<std::int64_t>(value) - counted_;
        if (range <= 0 || (distance < 0 ? -distance : distance) * 4 <= range) return false;
        counted_ = value;
        return true;
    }

private:
    bool known_ = false;
    std::int32_t counted_ = 0;
};

}  // namespace tamrel
