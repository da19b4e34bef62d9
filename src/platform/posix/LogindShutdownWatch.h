#pragma once
// While the program runs: a logind delay inhibitor on shutdown, so that a
// power-off from outside (the power button, another program) waits while
// the program saves and ends, and logind's word that such a power-off has
// begun. All is asked without waiting, on a connection of its own whose
// descriptor joins the wait's poll. Without logind nothing changes.

#include <memory>
#include <string>

#include "platform/ProgramWatch.h"
#include "platform/posix/OwnedFd.h"

namespace tamrel {

class LogindShutdownWatch {
public:
    // `program`: the file name logind shows as the reason.
    explicit LogindShutdownWatch(const std::string& program);
    ~LogindShutdownWatch();
    LogindShutdownWatch(const LogindShutdownWatch&) = delete;
    LogindShutdownWatch& operator=(const LogindShutdownWatch&) = delete;

    // For the poll; -1 once there is no bus to listen to.
    int Descriptor() const;
    short Events() const;
    // When the bus must be looked at though nothing came; kNoDeadline.
    SteadyMs NextDue() const;
    // Handles what came. The watch hears of a shutdown while the inhibitor
    // is held, once, and of a logind that refuses the inhibitor.
    void Process(ProgramWatch& watch, SteadyMs now);

private:
    struct Bus;

    std::string program_;
    std::unique_ptr<Bus> bus_;
    OwnedFd inhibitor_;
    // The time the program has to end: logind's longest delay less a second.
    int graceMs_;
    enum class Shutdown { None, Heard, Told } shutdown_ = Shutdown::None;
    std::string refusal_;
    bool refusalTold_ = false;
};

}  // namespace tamrel
