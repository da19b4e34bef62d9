// Drives the logind power service from the command line, for the tests that
// run it against a mock logind on a private bus:
//   tamrel_power_probe exit FLAGS   asks for log-off (0), shutdown (1) or power-off (8);
//                                   prints "accepted" or "refused: WHY"
//   tamrel_power_probe blockers     prints "WHO: WHY" for each, then "end"
// Each polls the reply until it answers, or prints "no answer" after 20 s.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

#include "platform/posix/LogindPower.h"

namespace {

template <typename Answer>
std::optional<Answer> Wait(tamrel::Reply<Answer>& reply) {
    for (int i = 0; i < 2000; ++i) {
        if (std::optional<Answer> answer = reply.Poll()) return answer;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::puts("no answer");
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        std::fputs("refusing to run without a private DBUS_SYSTEM_BUS_ADDRESS\n", stderr);
        return 2;
    }
    tamrel::LogindPower power;
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0) {
        const int flags = std::atoi(argv[2]);
        const auto reply = power.Request(flags == 0   ? tamrel::PowerAction::LogOff
                                         : flags == 1 ? tamrel::PowerAction::ShutDown
                                                      : tamrel::PowerAction::PowerOff);
        if (const auto answer = Wait(*reply)) {
            std::printf(answer->accepted ? "accepted\n" : "refused: %s\n", answer->why.c_str());
        }
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "blockers") == 0) {
        const auto reply = power.ShutdownBlockers();
        if (const auto blockers = Wait(*reply)) {
            for (const tamrel::Blocker& blocker : *blockers) std::printf("%s: %s\n", blocker.who.c_str(), blocker.why.c_str());
            std::puts("end");
        }
        return 0;
    }
    std::fputs("usage: tamrel_power_probe exit FLAGS | blockers\n", stderr);
    return 2;
}
