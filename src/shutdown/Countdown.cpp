// The running countdown: one tick a second, the cancel and re-start keys,
// and the left click standing in for either.

#include "platform/RuntimeError.h"
#include "run/Application.h"
#include "settings/Text.h"
#include "shutdown/Form3.h"

namespace tamrel {

void Form3::Timer1_Timer() {
    --SecondsLeft;
    ui::Control* box = Frame1->Visible() ? Label2 : Label5;
    box->SetText(PlainNumber(SecondsLeft));
    if (SecondsLeft <= 0) {
        Timer1->SetEnabled(false);
        ShutDownMachine();
    }
    if (open_) window_->Refresh();
}

void Form3::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii == CancelKey) {
        KeyAscii = 0;
        CancelShutdown();
    } else if (KeyAscii == RestartKey && KeyAscii != 0) {
        KeyAscii = 0;
        RestartProgram();
    }
}

void Form3::Form_Click() {
    if (!ReadyForClicks) return;  // the click the set-up injected
    if (CancelKey == -1) CancelShutdown();
    if (RestartKey == -1 && open_) RestartProgram();
}

// The last log lines of a run are written as far as the disk allows: a full
// disk must not keep the user's key from ending the run.
void Form3::CancelShutdown() {
    module_.TryLog("User canceled shutdown at " + PlainNumber(SecondsLeft) + " seconds.");
    module_.TryLog("Tamrel ended.");
    Timer1->SetEnabled(false);
    Close();
}

void Form3::RestartProgram() {
    module_.TryLog("User chose to cancel shutdown and re-start program at " + PlainNumber(SecondsLeft) +
                   " seconds.");
    module_.TryLog("Tamrel ended.");
    module_.TryLog("Re-starting Tamrel");
    Timer1->SetEnabled(false);
    try {
        app_.platform().processes.RestartTamrel(app_.platform().files.ProgramFolder());
    } catch (const RuntimeError& error) {
        module_.TryLog("Tamrel could not re-start: " + error.Description());
        module_.TryAppendErrorLog(" --Tamrel could not re-start: " + error.Description());
    }
    Close();
}

}  // namespace tamrel
