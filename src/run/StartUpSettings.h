#pragma once
// Run mode's reading of the settings file before the launch: the run-setup
// flag and the program first, then what the wait needs. The run and the
// checker read alike through here.

#include <cstddef>
#include <string>
#include <vector>

#include "log/Logs.h"
#include "settings/Settings.h"
#include "settings/SettingsParser.h"

namespace tamrel {

struct StartUpKeys {
    bool complete = false;    // both key lines were met
    bool setupAsked = false;  // "Run Setup = yes" came first; nothing more is read
    std::size_t next = 0;     // the first line not yet read
    std::string lastLine;     // the last line read, which a problem report names
};

StartUpKeys ReadStartUpKeys(const std::vector<std::string>& lines, SettingsParser& parser, const Settings& settings);

// Whether the machine goes off at all, after how long without input and at
// what time of day, from the lines after the program's. The method is read
// quietly, as the screen logs it; a value that does not read is no method,
// as it would fail the screen rather than the run. `logs` null: the checker.
void ReadWaitSettings(const std::vector<std::string>& lines, std::size_t from, Settings& settings, Logs* logs,
                      const ValueWatch& watch = {});

}  // namespace tamrel
