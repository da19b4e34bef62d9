// Drives the logind power service from the command line, for the tests that
// run it against a mock logind on a private bus:
//   tamrel_power_probe right        prints "granted" or "refused"
//   tamrel_power_probe exit FLAGS   asks for log-off (0), shutdown (1) or power-off (8)

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/posix/LogindPower.h"

int main(int argc, char** argv) {
    if (!std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        std::fputs("refusing to run without a private DBUS_SYSTEM_BUS_ADDRESS\n", stderr);
        return 2;
    }
    tamrel::LogindPower power;
    if (argc == 2 && std::strcmp(argv[1], "right") == 0) {
        std::puts(power.MayPowerOff() ? "granted" : "refused");
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0) {
        const int flags = std::atoi(argv[2]);
        power.Request(flags == 0 ? tamrel::PowerAction::LogOff
                                 : flags == 1 ? tamrel::PowerAction::ShutDown : tamrel::PowerAction::PowerOff);
        std::puts("asked");
        return 0;
    }
    std::fputs("usage: tamrel_power_probe right | exit FLAGS\n", stderr);
    return 2;
}
