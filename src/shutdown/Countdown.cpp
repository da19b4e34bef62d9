// The running countdown: one tick a second, the cancel and re-start keys,
// and the left click standing in for either.

#include "platform/RuntimeError.h"
#include "settings/Text.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

void ShutdownScreen::OnTick() {
    if (stage_ == Stage::Counting) {
        --secondsLeft_;
        ui::Control* box = look_.frame->Visible() ? look_.number : countdownNumber_;
        box->SetText(PlainNumber(secondsLeft_));
        if (secondsLeft_ <= 0) stage_ = Stage::Held;
    }
    // Asked again each second while someone holds it up; a slow answer is
    // not asked for twice.
    if (stage_ == Stage::Held && !blockersReply_.Waiting()) {
        blockersReply_.Await(platform_.power.ShutdownBlockers());
        PollSystem();
    }
    if (open_) window_->Refresh();
}

void ShutdownScreen::OnKeyPress(int& code) {
    // Until the count runs, the set-up may still fail and end the screen
    // its own way; a key then would act on a screen that is going.
    if (!counting_) return;
    if (code == settings_.cancelKey) {
        code = 0;
        CancelShutdown();
    } else if ((code == settings_.restartKey && code != 0) || EndedIdle()) {
        code = 0;
        RestartProgram();
    }
}

void ShutdownScreen::OnClick() {
    if (!counting_) return;  // the click the set-up injected, among others
    if (settings_.cancelKey == -1) CancelShutdown();
    if ((settings_.restartKey == -1 || EndedIdle()) && open_) RestartProgram();
}

void ShutdownScreen::OnJoystickButton(int button) {
    if (!counting_ || !open_) return;
    if (button == settings_.cancelButton) {
        CancelShutdown(button);
    } else if (button == settings_.restartButton || EndedIdle()) {
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
    logs_.TryLog("User canceled shutdown at " + PlainNumber(secondsLeft_) + " seconds.",
                 RunEvent(EventKind::Cancelled, "cancel"));
    LogButton(logs_, button);
    logs_.TryLog("Tamrel ended.");
    countdownTimer_->SetEnabled(false);
    Close();
}

void ShutdownScreen::RestartProgram(int button) {
    logs_.TryLog("User chose to cancel shutdown and re-start program at " + PlainNumber(secondsLeft_) + " seconds.",
                 RunEvent(EventKind::Restarted, "re-start"));
    LogButton(logs_, button);
    logs_.TryLog("Tamrel ended.");
    logs_.TryLog("Re-starting Tamrel");
    // The new instance runs the program at once, and a program that drives
    // the screen itself needs it free of this one's window and hold.
    Close();
    platform_.ui.HandOverScreen();
    try {
        platform_.processes.RestartTamrel(platform_.files.ProgramFolder());
    } catch (const RuntimeError& error) {
        logs_.TryLog("Tamrel could not re-start: " + error.Description());
        logs_.TryAppendErrorLog(" --Tamrel could not re-start: " + error.Description());
    }
}

}  // namespace tamrel
