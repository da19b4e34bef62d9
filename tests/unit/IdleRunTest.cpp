#include "TestPlatform.h"

namespace tamrel::test {
namespace {

using Kind = headless::WaitEvent::Kind;

// A run with idle power-off on, nobody playing after the first minutes.
void StartIdle(TestPlatform& p, const Lines& overrides = {}) {
    Lines all = {"Shutdown method =2", "Idle minutes to power off =30"};
    all.insert(all.end(), overrides.begin(), overrides.end());
    p.StartScripted(all, {{10 * kMinute, Kind::Input, {}}, {25 * kMinute, Kind::Input, {}}});
}

using IdleRun = PlatformTest;

TEST_F(IdleRun, NobodyPlayingEndsTheProgramAndTheScreenSaysWhyThenPowersOff) {
    StartIdle(t);
    EXPECT_EQ(t.processes.watched(), std::vector<int>{30});
    // 30 minutes after the last input, not after the start.
    EXPECT_EQ(t.processes.dueAt(), 55 * kMinute);
    ASSERT_EQ(t.processes.endCalls().size(), 1u);
    EXPECT_EQ(t.processes.endCalls()[0].id, 4242u);
    EXPECT_EQ(t.processes.endCalls()[0].graceMs, 15000);
    const Lines events = t.Events();
    ASSERT_EQ(events.size(), 26u);
    EXPECT_EQ(Lines(events.begin(), events.begin() + 11),
              (Lines{"Tamrel started.", "In Tamrel.set, Run Setup = no", "Launching program: front.exe",
                     "Path to the program: " + t.Path(""), "In Tamrel.set, Idle minutes to power off =30",
                     "In Tamrel.set, Power off at =",
                     "No input for 30 minutes: asking front.exe to end.", "Program (front.exe) finished!",
                     "Program ended by signal 15 after 55 min 0 s.", t.marker() + " not found.",
                     "In Tamrel.set, Shutdown method =2"}));
    // Once: the screen leaves it to the run.
    EXPECT_EQ(t.Logged("In Tamrel.set, Idle minutes to power off =30"), 1);
    EXPECT_EQ(t.ReasonLine(), "Nobody has played for 30 minutes.");
    // Above the countdown.
    const ui::Rect line = t.ui.ControlOf("ShutdownScreen", "idleLine").Bounds();
    EXPECT_LE(line.top + line.height, t.ui.ControlOf("ShutdownScreen", "defaultLook").Bounds().top);
    t.ui.Advance(10000);
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::PowerOff});
    EXPECT_TRUE(t.Errors().empty());

    // One that has to be ended by force says so; a marker file still keeps
    // the machine on.
    TestPlatform p;
    p.processes.EndWhenAskedWith({0, ProgramEnd::How::Signalled, 9, 3315, 0, false, true});
    p.processes.OnWait([&](ProcessId) { p.Write("holdmark.tes", ""); });
    StartIdle(p);
    EXPECT_EQ(p.Logged("front.exe did not end within 15 seconds of being asked, so it was ended by force."), 1);
    EXPECT_EQ(p.Logged("Program ended by signal 9 after 55 min 15 s."), 1);
    EXPECT_FALSE(p.Shown("ShutdownScreen"));
    EXPECT_TRUE(p.power.requests().empty());
}

TEST_F(IdleRun, DuringThatCountdownAnythingButTheCancelKeyRunsTheProgramAgain) {
    const auto restarted = [](TestPlatform& p) { return p.processes.restarts() == Lines{p.folder()}; };
    StartIdle(t);
    t.ui.Advance(2000);
    t.ui.PressKey("ShutdownScreen", 'a');
    EXPECT_TRUE(restarted(t));
    EXPECT_EQ(t.LastEvents(3), (Lines{"User chose to cancel shutdown and re-start program at 8 seconds.",
                                      "Tamrel ended.", "Re-starting Tamrel"}));

    TestPlatform click;
    StartIdle(click);
    click.ui.ClickWindow("ShutdownScreen");
    EXPECT_TRUE(restarted(click));

    // Any joystick button, though none is chosen in the file.
    TestPlatform button;
    StartIdle(button);
    EXPECT_TRUE(button.ui.joysticksOpen());
    button.ui.PressButton(6);
    EXPECT_TRUE(restarted(button));
    EXPECT_EQ(button.Logged("(joystick button 6)"), 1);

    TestPlatform cancel;
    StartIdle(cancel, {"Joystick button to cancel =2"});
    cancel.ui.PressKey("ShutdownScreen", 27);
    EXPECT_TRUE(cancel.processes.restarts().empty());
    EXPECT_FALSE(cancel.Open("ShutdownScreen"));
    EXPECT_EQ(cancel.LastEvents(2), (Lines{"User canceled shutdown at 10 seconds.", "Tamrel ended."}));
    TestPlatform cancelButton;
    StartIdle(cancelButton, {"Joystick button to cancel =2"});
    cancelButton.ui.PressButton(2);
    EXPECT_TRUE(cancelButton.processes.restarts().empty());
    EXPECT_FALSE(cancelButton.Open("ShutdownScreen"));
    // A click as the cancel key still cancels.
    TestPlatform cancelClick;
    StartIdle(cancelClick, {"Key to cancel =-1"});
    cancelClick.ui.ClickWindow("ShutdownScreen");
    EXPECT_TRUE(cancelClick.processes.restarts().empty());
    EXPECT_FALSE(cancelClick.Open("ShutdownScreen"));
    EXPECT_TRUE(cancelClick.power.requests().empty());
}

TEST_F(IdleRun, TheShortRunGuardNeverAppliesToARunTamrelEnded) {
    // A minute's limit, a guard of ten: the run Tamrel ended is no failure.
    t.WriteLaunchable({"Shutdown method =1", "Idle minutes to power off =1", "Shortest run in seconds =600"});
    t.app.Start();
    EXPECT_EQ(t.processes.dueAt(), kMinute);
    EXPECT_EQ(t.ReasonLine(), "Nobody has played for 1 minute.");
    EXPECT_FALSE(t.ui.ControlOf("ShutdownScreen", "notice").Visible());
    t.ui.Advance(10000);
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::ShutDown});
    // A program that ends by itself is no run Tamrel ended.
    TestPlatform p;
    p.WriteLaunchable({"Idle minutes to power off =30", "Shortest run in seconds =600"});
    p.processes.EndProgramWith({0, ProgramEnd::How::Exited, 0, 20});
    p.app.Start();
    EXPECT_TRUE(p.processes.endCalls().empty());
    EXPECT_EQ(p.ReasonLine(), "");
    EXPECT_TRUE(p.ui.ControlOf("ShutdownScreen", "notice").Visible());
}

TEST_F(IdleRun, WithoutAMethodOrTheLineNothingIsWatchedAndAnUnusableLineIsToldOnce) {
    struct Case {
        Lines overrides;
        Lines logged;  // idle lines of the event log
        bool inErrorLog;
    };
    const std::string outside =
        "The number for idle minutes to power off in tamrel.set is out of range. Power off when idle is off.";
    const Case cases[] = {
        {{"Shutdown method =0", "Idle minutes to power off =30"}, {}, false},
        {{"Shutdown method =banana", "Idle minutes to power off =30"}, {}, false},
        {{"-Idle minutes to power off ="}, {}, false},
        {{"Idle minutes to power off =0"}, {"In Tamrel.set, Idle minutes to power off =0"}, false},
        {{"Idle minutes to power off =1441"}, {"In Tamrel.set, Idle minutes to power off =1441", outside}, true},
        {{"Idle minutes to power off =-5"}, {"In Tamrel.set, Idle minutes to power off =-5", outside}, true},
    };
    for (const Case& c : cases) {
        TestPlatform p;
        p.WriteLaunchable(c.overrides);
        p.processes.ScriptWait({});
        p.app.Start();
        EXPECT_EQ(p.processes.watched(), std::vector<int>{0}) << c.overrides.back();
        EXPECT_TRUE(p.processes.endCalls().empty());
        Lines idle;
        for (const std::string& line : p.Events()) {
            if (line.find("dle minutes") != std::string::npos) idle.push_back(line);
        }
        EXPECT_EQ(idle, c.logged) << c.overrides.back();
        EXPECT_EQ(p.Errors().size(), c.inErrorLog ? 1u : 0u) << c.overrides.back();
        EXPECT_TRUE(p.Shown("ShutdownScreen") || c.overrides[0] != "Idle minutes to power off =0");
    }
}

}  // namespace
}  // namespace tamrel::test
