#pragma once
// Setup's reading of the settings file: every key, with range replacements
// and a completeness check.

#include "log/Logs.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"
#include "settings/Settings.h"

namespace tamrel {

enum class SetupReadResult {
    Accepted,  // the fields hold what was read; missing keys keep their start values
    Corrupt,   // reported, kept as tamrel.bad and removed; setup closes and the program ends
};

// A value that does not convert raises a RuntimeError with the fields
// holding what was read so far.
SetupReadResult ReadSettingsForSetup(Settings& state, Logs& logs, FileSystem& files,
                                     ui::Toolkit& ui);

}  // namespace tamrel
