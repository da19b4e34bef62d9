// The running countdown: one tick a second, the cancel and re-start keys,
// and the left click standing in for either.

#include <algorithm>

#include "platform/RuntimeError.h"
#include "settings/Text.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

void ShutdownScreen::OnTick() {
    if (blockers_.empty()) {
        --secondsLeft_;
        ui::Control* box = look_.frame->Visible() ? look_.number : countdownNumber_;
        box->SetText(PlainNumber(secondsLeft_));
    }
    if (secondsLeft_ <= 0) ShutDownWhenFree();
    if (open_) window_->Refresh();
}

void ShutdownScreen::ShutDownWhenFree() {
    std::vector<Blocker> now = platform_.power.ShutdownBlockers();
    if (now.empty()) {
        countdownTimer_->SetEnabled(false);
        if (!blockers_.empty()) logs_.TryLog("Nothing holds up the shutdown any longer.");
        blockers_.clear();
        ShutDownMachine();
        return;
    }
    // Asked again every tick; each holder is logged once.
    std::string lines;
    for (const Blocker& blocker : now) {
        const std::string line = "Waiting for " + blocker.who + ": " + blocker.why;
        const auto known = [&](const Blocker& b) { return b.who == blocker.who && b.why == blocker.why; };
        if (std::none_of(blockers_.begin(), blockers_.end(), known)) logs_.TryLog(line);
        lines += (lines.empty() ? "" : "\n") + line;
    }
    if (notice_->Text() != lines) ShowNotice(lines);
    blockers_ = std::move(now);
}

void ShutdownScreen::OnKeyPress(int& code) {
    // Until the count runs, the set-up may still fail and end the screen
    // its own way; a key then would act on a screen that is going.
    if (!counting_) return;
    if (code == settings_.cancelKey) {
        code = 0;
        CancelShutdown();
    } else if (code == settings_.restartKey && code != 0) {
        code = 0;
        RestartProgram();
    }
}

void ShutdownScreen::OnClick() {
    if (!counting_) return;  // the click the set-up injected, among others
    if (settings_.cancelKey == -1) CancelShutdown();
    if (settings_.restartKey == -1 && open_) RestartProgram();
}

void ShutdownScreen::OnJoystickButton(int button) {
    if (!counting_ || !open_) return;
    if (button == settings_.cancelButton) {
        CancelShutdown(button);
    } else if (button == settings_.restartButton) {
        RestartProgram(button);
    }
}

namespace {

void LogButton(Logs& logs, int button) {
    if (button != 0) logs.TryLog("(joystick button " + PlainNumber(button) + ")");
}

}  // namespace

// The last log lines of a run are written as far as the disk allows: a full
// disk must not keep the user's key from ending the run.
void ShutdownScreen::CancelShutdown(int button) {
    logs_.TryLog("User canceled shutdown at " + PlainNumber(secondsLeft_) + " seconds.");
    LogButton(logs_, button);
    logs_.TryLog("Tamrel ended.");
    countdownTimer_->SetEnabled(false);
    Close();
}

void ShutdownScreen::RestartProgram(int button) {
    logs_.TryLog("User chose to cancel shutdown and re-start program at " + PlainNumber(secondsLeft_) +
                   " seconds.");
    LogButton(logs_, button);
    logs_.TryLog("Tamrel ended.");
    logs_.TryLog("Re-starting Tamrel");
    countdownTimer_->SetEnabled(false);
    try {
        platform_.processes.RestartTamrel(platform_.files.ProgramFolder());
    } catch (const RuntimeError& error) {
        logs_.TryLog("Tamrel could not re-start: " + error.Description());
        logs_.TryAppendErrorLog(" --Tamrel could not re-start: " + error.Description());
    }
    Close();
}

}  // namespace tamrel
