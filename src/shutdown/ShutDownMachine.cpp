// The end of the countdown: ask the system to shut down or power off,
// enabling the shutdown right first where the system needs it. A refusal is
// silent; the screen then stays at 0 and the keys still work.

#include "platform/Power.h"
#include "run/Application.h"
#include "settings/Text.h"
#include "shutdown/Form3.h"

namespace tamrel {

void Form3::ShutDownMachine() {
    unsigned flags = kExitLogoff;
    if (ShutdownMethod == 1) flags = kExitShutdown;
    if (ShutdownMethod == 2) flags = kExitPowerOff;
    // A full disk must not keep the machine on.
    module_.TryLog("Shutting down PC, using shutdown method " + PlainNumber(ShutdownMethod));
    module_.TryLog("tamrel ended.");
    if (IsNtFamily() && !EnableShutdownPrivilege()) return;
    app_.platform().power.RequestExit(flags);
}

bool Form3::IsNtFamily() { return app_.platform().power.IsNtFamily(); }

bool Form3::EnableShutdownPrivilege() { return app_.platform().power.EnableShutdownPrivilege(); }

}  // namespace tamrel
