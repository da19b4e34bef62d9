#pragma once
// Setup's reading of the settings file: every key, with range replacements
// and a completeness check.

#include "log/Logs.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"
#include "settings/Settings.h"
#include "settings/SettingsParser.h"

namespace tamrel {

enum class SetupReadResult {
    Accepted,  // the fields hold what was read; missing keys keep their start values
    Corrupt,   // reported, kept as tamrel.bad and removed; setup closes and the program ends
};

// A value that does not convert raises a RuntimeError with the fields
// holding what was read so far; or, given `badValues`, takes its default
// and is listed there while every other line is read as usual.
// A damaged file of the system's is reported and left; the result is
// Corrupt all the same.
SetupReadResult ReadSettingsForSetup(Settings& state, Logs& logs, FileSystem& files, ui::Toolkit& ui,
                                     std::vector<BadValue>* badValues = nullptr);

// The lines as setup reads them; whether they make a complete file. With
// `fallback`, a value that does not convert takes its field from it and
// is listed in `badValues`. `logs` null: the checker, which logs nothing.
bool ReadSetupLines(const std::vector<std::string>& lines, Settings& state, Logs* logs, FileSystem& files,
                    const Settings* fallback, std::vector<BadValue>* badValues, const ValueWatch& watch = {});

}  // namespace tamrel
