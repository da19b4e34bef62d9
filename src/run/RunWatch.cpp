#include "run/RunWatch.h"

#include <algorithm>
#include <utility>

#include "settings/Text.h"

namespace tamrel {

RunWatch::RunWatch(Logs& logs, std::string program, int minutes, long closingTime)
    : logs_(logs), program_(std::move(program)), minutes_(minutes), closingTime_(closingTime) {}

void RunWatch::Begin(SteadyMs now) {
    if (started_) return;
    started_ = true;
    lastInput_ = now;
}

void RunWatch::InputSeen(SteadyMs now) {
    Begin(now);
    // Sources may report out of order; the clock never goes back.
    lastInput_ = std::max(lastInput_, now);
}

void RunWatch::SourceIdle(bool idle, SteadyMs now) {
    Begin(now);
    sourceBusy_ = !idle;
    // Input again: it happened now.
    if (!idle) lastInput_ = std::max(lastInput_, now);
}

void RunWatch::Note(const std::string& line) {
    // A device that comes and goes must not fill the log.
    if (noted_.insert(line).second) logs_.TryLog(line);
}

void RunWatch::ClosingTimeReached(SteadyMs now) {
    Begin(now);
    if (reason_ != Reason::None || closingTime_ == kNoClosingTime) return;
    reason_ = Reason::ClosingTime;
    pending_ = true;
    logs_.TryLog("Closing time (" + TimeOfDayText(closingTime_) + "): asking " + program_ + " to end.",
                 Event::Of(EventKind::ClosingTime, "end-program"));
}

void RunWatch::SystemShuttingDown(SteadyMs now, int graceMs) {
    Begin(now);
    // The machine goes off whatever else the run meant to do: this reason
    // wins even over one not yet acted on.
    if (reason_ == Reason::SystemShutdown || (reason_ != Reason::None && !pending_)) return;
    reason_ = Reason::SystemShutdown;
    pending_ = true;
    graceMs_ = std::max(graceMs, 0);
    logs_.TryLog("The system is shutting down: asking " + program_ + " to end.");
}

SteadyMs RunWatch::NextDue() const {
    if (pending_) return 0;
    if (reason_ != Reason::None || minutes_ <= 0 || sourceBusy_) return kNoDeadline;
    // Not started: any time the wait has is past this, and starts the clock.
    if (!started_) return 0;
    return lastInput_ + Limit();
}

bool RunWatch::Due(SteadyMs now) {
    Begin(now);
    if (pending_) {
        pending_ = false;
        return true;
    }
    if (reason_ != Reason::None || minutes_ <= 0 || sourceBusy_ || now - lastInput_ < Limit()) return false;
    reason_ = Reason::Idle;
    logs_.TryLog("No input for " + MinutesText(minutes_) + ": asking " + program_ + " to end.",
                 Event::Of(EventKind::Idle, "end-program"));
    return true;
}

}  // namespace tamrel
