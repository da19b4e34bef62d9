// Drives the logind power service from the command line, for the tests that
// run it against a mock logind on a private bus:
//   tamrel_power_probe FLAGS   asks for log-off (0), shutdown (1) or power-off (8),
//                              polls the reply and prints "accepted" or "refused: WHY"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/posix/LogindPower.h"

int main(int argc, char** argv) {
    if (!std::getenv("DBUS_SYSTEM_BUS_ADDRESS") || argc != 2) {
        std::fputs("usage: DBUS_SYSTEM_BUS_ADDRESS=private-bus tamrel_power_probe FLAGS\n", stderr);
        return 2;
    }
    const int flags = std::atoi(argv[1]);
    tamrel::LogindPower power;
    const auto reply = power.Request(flags == 0   ? tamrel::PowerAction::LogOff
                                     : flags == 1 ? tamrel::PowerAction::ShutDown
                                                  : tamrel::PowerAction::PowerOff);
    for (int i = 0; i < 2000; ++i) {
        if (const auto answer = reply->Poll()) {
            std::printf(answer->accepted ? "accepted\n" : "refused: %s\n", answer->why.c_str());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::puts("no answer");
    return 0;
}
