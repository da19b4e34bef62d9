#pragma once
// Setup's writing of the settings file: a fixed template of 66 lines, the
// comments a hand-editor needs and the 15 key lines, with CR LF endings.

#include <string>

#include "platform/FileSystem.h"
#include "settings/Settings.h"

namespace tamrel {

// The file's text. Out-of-range method, time and keys are corrected in
// `state` itself, silently. `createdOn` is the date and time of line 1.
std::string SettingsFileText(Settings& state, const std::string& createdOn);

// Replaces tamrel.set whole: a failed write leaves the old file as it was
// and raises the RuntimeError.
void WriteSettingsFile(Settings& state, FileSystem& files, const std::string& createdOn);

}  // namespace tamrel
