#pragma once
// The settings record: one field per key of the settings file.

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace tamrel {

struct Settings {
    bool runSetup = false;  // only the start-up looks at it; setup writes "no"
    std::string programPath;
    std::int16_t shutdownMethod = 0;  // 0 none, 1 shut down, 2 power off
    std::int16_t cancelSeconds = 0;
    std::int16_t cancelKey = 0;   // character code, -1 left click
    std::int16_t restartKey = 0;  // as cancelKey, 0 none
    // The file calls the top edge "X position" and the left edge "Y
    // position"; the fields say what they hold. Twips.
    std::int16_t boxTop = 0;
    std::int16_t boxLeft = 0;
    std::string boxFontName;
    std::string boxFontSize;  // held as text until applied
    std::string boxBold;      // held as text until applied
    bool boxItalic = false;
    std::int32_t boxColor = 0;
    std::string skinPath;
    // A program that ends sooner after its start has failed, and the
    // machine stays on; 0 turns the check off.
    std::int16_t shortestRun = 0;
    // Joystick buttons standing in for the keys, numbered from 1; 0 none.
    std::int16_t cancelButton = 0;
    std::int16_t restartButton = 0;
    // With a shutdown method, the program is asked to end after this many
    // minutes without the user's input, and the countdown follows; 0 off.
    std::int16_t idleMinutes = 0;
    // Minutes after midnight, or -1 for none: the time of day at which a
    // running program is asked to end and the countdown follows, and the
    // time the machine's clock alarm wakes it up the next day.
    std::int16_t closingTime = -1;
    std::int16_t wakeTime = -1;
};

inline constexpr std::int16_t kMaxIdleMinutes = 1440;

inline constexpr std::int16_t kMaxJoystickButton = 32;

// What setup writes when the file it loaded had no shortest run: the check
// on, at a length no working front end undercuts.
inline constexpr std::int16_t kDefaultShortestRun = 10;

// What setup starts from when there is no settings file.
Settings DefaultSettings(const FileSystem& files);

}  // namespace tamrel
