#pragma once
// Power-off through systemd-logind on the D-Bus system bus. The right to do
// it is logind's CanPowerOff answering "yes"; any other answer, or no bus,
// keeps the machine on without a word. Tests point the system bus at a mock
// with DBUS_SYSTEM_BUS_ADDRESS.

#include "platform/Power.h"

namespace tamrel {

class LogindPower : public Power {
public:
    // Shutdown and power-off both power the machine off, honouring
    // inhibitors; the log-off ends this process's own login session.
    void Request(PowerAction action) override;
    // Logind's CanPowerOff says "yes".
    bool MayPowerOff();
    // Logind does not hold every caller to other programs' block
    // inhibitors, and where it does, the call just fails: they are asked
    // for first. Delay inhibitors are logind's own business.
    std::vector<Blocker> ShutdownBlockers() override;
};

}  // namespace tamrel
