#pragma once
// The settings record: one field per key of the settings file.

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace tamrel {

struct Settings {
    std::string ProgramPath;
    std::int16_t ShutdownMethod = 0;  // 0 none, 1 shut down, 2 power off
    std::int16_t CancelSeconds = 0;
    std::int16_t CancelKey = 0;   // character code, -1 left click
    std::int16_t RestartKey = 0;  // as CancelKey, 0 none
    std::int16_t BoxX = 0;        // top edge, twips
    std::int16_t BoxY = 0;        // left edge, twips
    std::string BoxFontName;
    std::string BoxFontSize;  // held as text until applied
    std::string BoxBold;      // held as text until applied
    bool BoxItalic = false;
    std::int32_t BoxColor = 0;
    std::string SkinPath;
};

// What setup starts from when there is no settings file.
Settings DefaultSettings(const FileSystem& files);

}  // namespace tamrel
