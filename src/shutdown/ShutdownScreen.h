#pragma once
// The shutdown screen: a full-screen window that reads its own settings,
// shows the skin or the default look with the remaining seconds, and at 0
// shuts the machine down. The cancel key ends the program with the machine
// left on; the re-start key runs the whole cycle again.

#include <cstdint>
#include <memory>
#include <string>

#include "log/Logs.h"
#include "platform/JoystickPresses.h"
#include "platform/Navigator.h"
#include "platform/Platform.h"
#include "platform/ProgramWindow.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "shutdown/AwaitedReply.h"
#include "shutdown/DefaultLook.h"

namespace tamrel {

class RuntimeError;

class ShutdownScreen : public ProgramWindow {
public:
    ShutdownScreen(Platform& platform, Logs& logs, Navigator& navigator, RunReport run);
    ~ShutdownScreen() override;

    // Makes the screen visible and sets it up: the settings, the look, the
    // focus, then the countdown.
    void Show();
    bool IsOpen() const override { return open_; }
    // The system accepted the shutdown: what ends Tamrel now is its going down.
    bool SystemGoingDown();

private:
    enum class ReadOutcome { Complete, EarlyEnd, Corrupt };
    // Where the run stands at and after 0.
    enum class Stage {
        Counting,
        Held,      // at 0, asking each second for programs holding up the shutdown
        Asking,    // the system was asked to shut down
        Accepted,  // it is going down
        Refused,   // it stays on; the notice says why
    };

    void BuildWindow();
    void SetUp();
    ReadOutcome ReadSettings(const SettingsSource& source);
    void RejectSkin();
    void ShowSkinLook();
    void ShowDefaultLook();
    // The program ended too soon after its start to have run as it should.
    bool RunFailed() const;
    // Tamrel ended the run, nobody having played: anyone there now wants
    // the program back.
    bool EndedIdle() const { return run_.idleMinutes > 0; }
    bool EndedAtClosingTime() const { return run_.closingTime != kNoClosingTime; }
    void ShowIdleLine();
    // In the event log and the error log.
    void LogBoth(const std::string& line);
    // An event of this run: its length and what Tamrel does.
    Event RunEvent(EventKind kind, std::string action) const;
    // What the shutdown method asks the system for, as events name it.
    std::string PowerActionName() const;
    // Both logs; the text said.
    std::string LogFailedRun();
    void ExplainFailedRun();
    void ShowNotice(const std::string& text);
    void TakeFocus();
    // At 0: power off, unless another program holds it up for now.
    void ShutDownWhenFree(std::vector<Blocker> now);
    // Takes whatever answers the system has given by now.
    void PollSystem();
    void PowerAnswered(const PowerAnswer& answer);
    void OnStopRequest(int number);
    void SettingsMissing();
    void SetUpFailed(const RuntimeError& error);

    void OnTick();
    void OnKeyPress(int& code);
    void OnClick();
    void OnJoystickButton(int button);
    // `button`: the joystick button that asked for it, 0 for a key or click.
    void CancelShutdown(int button = 0);
    void RestartProgram(int button = 0);
    void ShutDownMachine();
    // Before a power-off: the clock alarm for the next wake-up time, if any.
    void SetWakeUp();
    void Close();

    Platform& platform_;
    Logs& logs_;
    Navigator& navigator_;
    RunReport run_;
    bool open_ = false;

    Settings settings_;
    std::int16_t secondsLeft_ = 0;
    // The set-up is over and the count runs: only now do keys and clicks
    // count.
    bool counting_ = false;
    Stage stage_ = Stage::Counting;
    // At 0, waiting for these to let the shutdown go ahead.
    std::vector<Blocker> blockers_;
    AwaitedReply<std::vector<Blocker>> blockersReply_;
    AwaitedReply<PowerAnswer> powerReply_;

    std::unique_ptr<ui::Window> window_;
    ui::Control* countdownNumber_ = nullptr;
    ui::Control* notice_ = nullptr;  // stands in for the number when no countdown runs
    ui::Control* idleLine_ = nullptr;  // why the run ended, above the number
    DefaultLook look_;
    ui::Timer* countdownTimer_ = nullptr;
    ui::Timer* replyTimer_ = nullptr;  // runs while the system owes an answer
    JoystickPresses joystick_;
};

}  // namespace tamrel
