#pragma once
// The Linux console as a place to draw: the virtual console Tamrel runs on,
// its DRM cards and their outputs, and the input devices its keys come from.

#include <string>

#include "platform/posix/DisplayChoice.h"

namespace tamrel {

// Fills in the console's part of the survey (not the display servers').
// Devices are only opened for a look, and closed again at once.
void SurveyConsole(DisplaySurvey& survey);

// Waits, at most `patienceMs`, until no other program drives `device`:
// what a front end started may outlive it for a moment. Whether it is free.
bool WaitForFreeCard(const std::string& device, int patienceMs);

// Gives up this process's hold on every DRM card it has open, so that the
// next program can drive the screen while this one is still ending.
void ReleaseDrmCards();

}  // namespace tamrel
