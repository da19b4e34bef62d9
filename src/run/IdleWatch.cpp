#include "run/IdleWatch.h"

#include <algorithm>
#include <utility>

#include "settings/Text.h"

namespace tamrel {

IdleWatch::IdleWatch(Logs& logs, std::string program, int minutes)
    : logs_(logs), program_(std::move(program)), minutes_(minutes) {}

void IdleWatch::Begin(SteadyMs now) {
    if (started_) return;
    started_ = true;
    lastInput_ = now;
}

void IdleWatch::InputSeen(SteadyMs now) {
    Begin(now);
    // Sources may report out of order; the clock never goes back.
    lastInput_ = std::max(lastInput_, now);
}

void IdleWatch::SourceIdle(bool idle, SteadyMs now) {
    Begin(now);
    sourceBusy_ = !idle;
    // Input again: it happened now.
    if (!idle) lastInput_ = std::max(lastInput_, now);
}

void IdleWatch::Note(const std::string& line) {
    // A device that comes and goes must not fill the log.
    if (noted_.insert(line).second) logs_.TryLog(line);
}

SteadyMs IdleWatch::NextDue() const {
    if (asked_ || minutes_ <= 0 || sourceBusy_) return kNoDeadline;
    // Not started: any time the wait has is past this, and starts the clock.
    if (!started_) return 0;
    return lastInput_ + Limit();
}

bool IdleWatch::Due(SteadyMs now) {
    Begin(now);
    if (asked_ || minutes_ <= 0 || sourceBusy_ || now - lastInput_ < Limit()) return false;
    asked_ = true;
    logs_.TryLog("No input for " + MinutesText(minutes_) + ": asking " + program_ + " to end.");
    return true;
}

}  // namespace tamrel
