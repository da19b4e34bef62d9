#pragma once
// Power-off through systemd-logind on the D-Bus system bus. Each question
// is an asynchronous call on a connection of its own, which the reply's
// Poll drives without ever waiting; dropping the reply closes it. Tests
// point the system bus at a mock with DBUS_SYSTEM_BUS_ADDRESS.

#include "platform/Power.h"

namespace tamrel {

class LogindPower : public Power {
public:
    // Shutdown and power-off both power the machine off, honouring
    // inhibitors: CanPowerOff first, then PowerOff, never interactive. A
    // "challenge" is asked anyway (logind refuses cleanly if it must); "no"
    // and "na" are refusals. The log-off ends this process's own login
    // session.
    std::unique_ptr<Reply<PowerAnswer>> Request(PowerAction action) override;
    // Logind does not hold every caller to other programs' block
    // inhibitors, and where it does, the call just fails: they are asked
    // for first. Delay inhibitors are logind's own business.
    std::unique_ptr<Reply<std::vector<Blocker>>> ShutdownBlockers() override;
    // Through /dev/rtc0; see RtcWakeAlarm.
    WakeAnswer SetWakeUp(long minutes) override;
};

}  // namespace tamrel
