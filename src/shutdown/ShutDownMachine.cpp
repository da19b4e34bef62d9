// The end of the countdown: wait for programs that hold up the shutdown,
// ask the system to shut down or power off, and tell what it answered. A
// refusal is told on the screen and in both logs; the keys still work.

#include <algorithm>

#include "platform/Power.h"
#include "settings/Text.h"
#include "shutdown/NoticeLines.h"
#include "shutdown/ShutdownScreen.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

// By shutdown method: as the screen and the log say it, and as events name it.
constexpr const char* kRequestNames[] = {"Log-off", "Shutdown", "Power-off"};
constexpr const char* kActionNames[] = {"log-off", "shutdown", "power-off"};

}  // namespace

void ShutdownScreen::PollSystem() {
    bool answered = false;
    // A list that does not come in time holds nothing up.
    if (auto now = blockersReply_.Poll({})) {
        answered = true;
        ShutDownWhenFree(std::move(*now));
    }
    if (auto answer = powerReply_.Poll(
            {false, "the system did not answer within " + PlainNumber(kReplyLimitSeconds) + " seconds"})) {
        answered = true;
        PowerAnswered(*answer);
    }
    if (!open_) return;
    replyTimer_->SetEnabled(blockersReply_.Waiting() || powerReply_.Waiting());
    if (answered) window_->Refresh();
}

void ShutdownScreen::ShutDownWhenFree(std::vector<Blocker> now) {
    if (stage_ != Stage::Held) return;
    if (now.empty()) {
        countdownTimer_->SetEnabled(false);
        if (!blockers_.empty()) {
            // The holders' lines would stand on screen as if still true.
            constexpr const char* kFree = "Nothing holds up the shutdown any longer.";
            logs_.TryLog(kFree);
            ShowNotice(kFree);
        }
        blockers_.clear();
        ShutDownMachine();
        return;
    }
    // Each holder is logged once, as long as it holds.
    std::vector<std::string> lines;
    for (const Blocker& blocker : now) {
        const std::string line = "Waiting for " + Printable(blocker.who) + ": " + Printable(blocker.why);
        const auto known = [&](const Blocker& b) { return b.who == blocker.who && b.why == blocker.why; };
        if (std::none_of(blockers_.begin(), blockers_.end(), known)) logs_.TryLog(line);
        lines.push_back(line);
    }
    const std::string shown = NoticeLines(*notice_, lines);
    if (notice_->Text() != shown) ShowNotice(shown);
    blockers_ = std::move(now);
}

std::string ShutdownScreen::PowerActionName() const {
    return kActionNames[std::clamp<int>(settings_.shutdownMethod, 0, 2)];
}

void ShutdownScreen::ShutDownMachine() {
    const std::int16_t method = settings_.shutdownMethod;
    PowerAction action = PowerAction::LogOff;
    if (method == 1) action = PowerAction::ShutDown;
    if (method == 2) action = PowerAction::PowerOff;
    if (action != PowerAction::LogOff && settings_.wakeTime != kNoTimeOfDay) SetWakeUp();
    stage_ = Stage::Asking;
    powerReply_.Await(platform_.power.Request(action));
}

void ShutdownScreen::SetWakeUp() {
    const WakeAnswer answer = platform_.power.SetWakeUp(settings_.wakeTime);
    if (!answer.when.empty()) {
        logs_.TryLog("Wake-up set for " + Printable(answer.when) + ".");
        return;
    }
    // The power-off goes ahead all the same: a machine left on is worse.
    const std::string text = "Wake-up at " + TimeOfDayText(settings_.wakeTime) + " not set: " + Printable(answer.why);
    logs_.TryLog(text);
    logs_.TryAppendErrorLog(" --" + text);
}

void ShutdownScreen::PowerAnswered(const PowerAnswer& answer) {
    const std::int16_t method = settings_.shutdownMethod;
    if (answer.accepted) {
        stage_ = Stage::Accepted;
        // A full disk must not keep the machine on.
        logs_.TryLog("Shutting down PC, using shutdown method " + PlainNumber(method),
                     RunEvent(EventKind::PowerOffRequested, PowerActionName()));
        logs_.TryLog("tamrel ended.");
        return;
    }
    stage_ = Stage::Refused;
    const std::string text = std::string(kRequestNames[std::clamp<int>(method, 0, 2)]) +
                             " refused, the machine stays on: " + Printable(answer.why);
    ShowNotice(text);
    logs_.TryLog(text, RunEvent(EventKind::PowerOffRefused, PowerActionName()));
    logs_.TryAppendErrorLog(" --" + text);
}

bool ShutdownScreen::SystemGoingDown() {
    if (stage_ == Stage::Asking) PollSystem();
    return stage_ == Stage::Accepted;
}

void ShutdownScreen::OnStopRequest(int number) {
    // An answer already on its way counts: the stop may be its consequence.
    if (SystemGoingDown()) {
        // The system going down, as it said it would: no stop of ours.
        logs_.TryLog("The system is shutting down.");
    } else {
        // Stopped from outside (the session ending, a kill): the run ends
        // as a cancel would, with the machine left on.
        logs_.TryLog("Tamrel was asked to stop (signal " + PlainNumber(number) + ") at " + PlainNumber(secondsLeft_) +
                     " seconds.");
        logs_.TryLog("Tamrel ended.");
    }
    Close();
}

}  // namespace tamrel
