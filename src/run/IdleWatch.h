#pragma once
// The idle clock of a run: every report of input restarts it, and once it
// has run for the chosen minutes the program is to be asked to end.

#include <set>
#include <string>

#include "log/Logs.h"
#include "platform/ProgramWatch.h"

namespace tamrel {

class IdleWatch : public ProgramWatch {
public:
    // `program`: the file name the log line names.
    IdleWatch(Logs& logs, std::string program, int minutes);

    int IdleMinutes() const override { return minutes_; }
    void InputSeen(SteadyMs now) override;
    void SourceIdle(bool idle, SteadyMs now) override;
    void Note(const std::string& line) override;
    SteadyMs NextDue() const override;
    bool Due(SteadyMs now) override;

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
    bool asked_ = false;
    std::set<std::string> noted_;
};

}  // namespace tamrel
