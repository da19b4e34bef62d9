// The end of the countdown: ask the system to shut down or power off. A
// refusal is silent; the screen then stays at 0 and the keys still work.

#include "platform/Power.h"
#include "settings/Text.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

void ShutdownScreen::ShutDownMachine() {
    const std::int16_t method = settings_.shutdownMethod;
    PowerAction action = PowerAction::LogOff;
    if (method == 1) action = PowerAction::ShutDown;
    if (method == 2) action = PowerAction::PowerOff;
    // A full disk must not keep the machine on.
    logs_.TryLog("Shutting down PC, using shutdown method " + PlainNumber(method));
    logs_.TryLog("tamrel ended.");
    platform_.power.Request(action);
}

}  // namespace tamrel
