#pragma once
// Power-off through systemd-logind on the D-Bus system bus. The right to do
// it is logind's CanPowerOff answering "yes"; any other answer, or no bus,
// keeps the machine on without a word. Tests point the system bus at a mock
// with DBUS_SYSTEM_BUS_ADDRESS.

#include "platform/Power.h"

namespace tamrel {

class LogindPower : public Power {
public:
    // Logind checks the right on every request, so there is always a step.
    bool IsNtFamily() override { return true; }
    bool EnableShutdownPrivilege() override;
    // Shutdown and power-off both power the machine off, honouring
    // inhibitors; the log-off ends this process's own login session.
    void RequestExit(unsigned flags) override;
};

}  // namespace tamrel
