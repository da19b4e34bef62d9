#pragma once
// The shutdown screen's reading of the settings file's lines: the look and
// the keys, with silent range replacements. The screen and the checker read
// alike through here.

#include <functional>
#include <string>
#include <vector>

#include "log/Logs.h"
#include "settings/Settings.h"
#include "settings/SettingsParser.h"

namespace tamrel {

struct ScreenReading {
    // EarlyEnd: no shutdown method, so nothing after it matters to the screen.
    enum class Outcome { Complete, EarlyEnd, Corrupt } outcome = Outcome::Complete;
    bool olderFile = false;  // no re-start key line, counted as there
};

// A value that does not convert raises a RuntimeError naming the line.
// `onField` hears of each field once it is read. `logs` null: the checker.
ScreenReading ReadScreenSettings(const std::vector<std::string>& lines, Settings& settings, Logs* logs,
                                 const ValueWatch& watch, const std::function<void(Field)>& onField);

// The screen shows no skin of another kind than a bitmap.
bool IsRejectedSkin(const std::string& skinPath);

}  // namespace tamrel
