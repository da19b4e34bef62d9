#pragma once
// What setup edits: the settings, and where the last press on the
// countdown box preview landed inside it.

#include <cstdint>

#include "settings/Settings.h"

namespace tamrel {

struct SetupState : Settings {
    std::int16_t dragOffsetX = 0;
    std::int16_t dragOffsetY = 0;
};

}  // namespace tamrel
