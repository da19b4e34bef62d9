// The end of the countdown: ask the system to shut down or power off,
// enabling the shutdown right first where the system needs it. A refusal is
// silent; the screen then stays at 0 and the keys still work.

#include "platform/Power.h"
#include "run/Application.h"
#include "settings/Text.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

void ShutdownScreen::ShutDownMachine() {
    unsigned flags = kExitLogoff;
    if (ShutdownMethod == 1) flags = kExitShutdown;
    if (ShutdownMethod == 2) flags = kExitPowerOff;
    // A full disk must not keep the machine on.
    logs_.TryLog("Shutting down PC, using shutdown method " + PlainNumber(ShutdownMethod));
    logs_.TryLog("tamrel ended.");
    if (IsNtFamily() && !EnableShutdownPrivilege()) return;
    app_.platform().power.RequestExit(flags);
}

bool ShutdownScreen::IsNtFamily() { return app_.platform().power.IsNtFamily(); }

bool ShutdownScreen::EnableShutdownPrivilege() { return app_.platform().power.EnableShutdownPrivilege(); }

}  // namespace tamrel
