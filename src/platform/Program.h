#pragma once
// What a platform's main function runs once it has made its services: the
// whole program, until its last window closes. The exit status: 1 when the
// display could not be had.

#include "platform/Platform.h"

namespace tamrel {

// `setupAsked`: the command line asked for setup mode, which then opens
// whatever the settings file says.
int RunProgram(Platform& platform, bool setupAsked = false);

}  // namespace tamrel
