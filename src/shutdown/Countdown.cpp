// The running countdown: one tick a second, the cancel and re-start keys,
// and the left click standing in for either.

#include "platform/RuntimeError.h"
#include "run/Application.h"
#include "settings/Text.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel {

void ShutdownScreen::OnTick() {
    --SecondsLeft;
    ui::Control* box = look_.frame->Visible() ? look_.number : countdownNumber;
    box->SetText(PlainNumber(SecondsLeft));
    if (SecondsLeft <= 0) {
        countdownTimer->SetEnabled(false);
        ShutDownMachine();
    }
    if (open_) window_->Refresh();
}

void ShutdownScreen::OnKeyPress(int& KeyAscii) {
    // Until the count runs, the set-up may still fail and end the screen
    // its own way; a key then would act on a screen that is going.
    if (!Counting) return;
    if (KeyAscii == CancelKey) {
        KeyAscii = 0;
        CancelShutdown();
    } else if (KeyAscii == RestartKey && KeyAscii != 0) {
        KeyAscii = 0;
        RestartProgram();
    }
}

void ShutdownScreen::OnClick() {
    if (!Counting) return;  // the click the set-up injected, among others
    if (CancelKey == -1) CancelShutdown();
    if (RestartKey == -1 && open_) RestartProgram();
}

// The last log lines of a run are written as far as the disk allows: a full
// disk must not keep the user's key from ending the run.
void ShutdownScreen::CancelShutdown() {
    logs_.TryLog("User canceled shutdown at " + PlainNumber(SecondsLeft) + " seconds.");
    logs_.TryLog("Tamrel ended.");
    countdownTimer->SetEnabled(false);
    Close();
}

void ShutdownScreen::RestartProgram() {
    logs_.TryLog("User chose to cancel shutdown and re-start program at " + PlainNumber(SecondsLeft) +
                   " seconds.");
    logs_.TryLog("Tamrel ended.");
    logs_.TryLog("Re-starting Tamrel");
    countdownTimer->SetEnabled(false);
    try {
        app_.platform().processes.RestartTamrel(app_.platform().files.ProgramFolder());
    } catch (const RuntimeError& error) {
        logs_.TryLog("Tamrel could not re-start: " + error.Description());
        logs_.TryAppendErrorLog(" --Tamrel could not re-start: " + error.Description());
    }
    Close();
}

}  // namespace tamrel
