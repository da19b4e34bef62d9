#pragma once
// What a run watches besides the program's end: the idle clock (every
// report of input restarts it), the closing time, and the system shutting
// down at somebody else's request. The first of them to come is the one
// reason the program is asked to end.

#include <set>
#include <string>

#include "log/Logs.h"
#include "platform/ProgramWatch.h"

namespace tamrel {

class RunWatch : public ProgramWatch {
public:
    enum class Reason { None, Idle, ClosingTime, SystemShutdown };

    // `program`: the file name the log line names. `closingTime`: minutes
    // after local midnight, or kNoClosingTime.
    RunWatch(Logs& logs, std::string program, int minutes, long closingTime = kNoClosingTime);

    Reason reason() const { return reason_; }
    // The time the system gave the program to end, once it is shutting down.
    int graceMs() const { return graceMs_; }

    int IdleMinutes() const override { return minutes_; }
    void InputSeen(SteadyMs now) override;
    void SourceIdle(bool idle, SteadyMs now) override;
    void Note(const std::string& line) override;
    SteadyMs NextDue() const override;
    bool Due(SteadyMs now) override;
    long ClosingTime() const override { return closingTime_; }
    void ClosingTimeReached(SteadyMs now) override;
    void SystemShuttingDown(SteadyMs now, int graceMs) override;

private:
    SteadyMs Limit() const { return static_cast<SteadyMs>(minutes_) * 60 * 1000; }
    // The clock starts at the first time the wait tells: the backends'
    // clocks differ in where they count from.
    void Begin(SteadyMs now);

    Logs& logs_;
    std::string program_;
    int minutes_;
    bool started_ = false;
    SteadyMs lastInput_ = 0;
    // A source that tells only idleness said it saw input and has not
    // said idle since: nobody else may know of that input.
    bool sourceBusy_ = false;
    long closingTime_;
    Reason reason_ = Reason::None;
    // A reason came from a report and has not yet been given by Due().
    bool pending_ = false;
    int graceMs_ = 0;
    std::set<std::string> noted_;
};

}  // namespace tamrel
