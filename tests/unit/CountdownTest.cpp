#include "TestPlatform.h"

namespace tamrel::test {
namespace {

class Countdown : public PlatformTest {
protected:
    std::string Shown() { return t.Screen("defaultNumber").Text(); }
};

TEST_F(Countdown, CountsOncePerSecondAndShutsDownAtTheTickThatShowsZero) {
    t.ShowScreen({"Seconds to cancel = 10", "Shutdown method = 1"});
    t.ui.Advance(999);
    EXPECT_EQ(Shown(), "10");
    t.ui.Advance(1);
    EXPECT_EQ(Shown(), "9");
    t.ui.Advance(8999);
    EXPECT_EQ(Shown(), "1");
    EXPECT_TRUE(t.power.requests().empty());
    t.ui.Advance(1);
    EXPECT_EQ(Shown(), "0");
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::ShutDown});
    EXPECT_EQ(t.LastEvents(2), (Lines{"Shutting down PC, using shutdown method 1", "tamrel ended."}));
    // The screen stays at 0 with the timer stopped.
    t.ui.Advance(5000);
    EXPECT_EQ(Shown(), "0");
    EXPECT_EQ(t.power.requests().size(), 1u);
}

TEST_F(Countdown, AStopRequestEndsTheRunWithTheMachineOn) {
    t.ShowScreen({"Seconds to cancel = 10", "Shutdown method = 2"});
    t.ui.Advance(3000);
    t.ui.RequestStop(15);
    EXPECT_FALSE(t.app.HasOpenWindows());
    EXPECT_EQ(t.LastEvents(2), (Lines{"Tamrel was asked to stop (signal 15) at 7 seconds.", "Tamrel ended."}));
    t.ui.Advance(10000);
    EXPECT_TRUE(t.power.requests().empty());
}

TEST_F(Countdown, ACompleteFileWithoutMethodOrTimeLogsOffOneSecondLater) {
    Lines lines = SettingsLines({"-Shutdown method =", "-Seconds to cancel ="});
    lines.insert(lines.end(), 2, "Countdown box color = 0");  // two repeats keep the count at 13
    t.WriteSettings(lines);
    t.app.ShowShutdownScreen(kLongRun);
    EXPECT_EQ(Shown(), "0");
    t.ui.Advance(1000);
    EXPECT_EQ(Shown(), "-1");
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::LogOff});
    EXPECT_EQ(t.LastEvents(2), (Lines{"Shutting down PC, using shutdown method 0", "tamrel ended."}));
}

TEST_F(Countdown, TheCancelKeyEndsTheProgramWithTheMachineOnAndTheRestartKeyStartsANewInstanceOrSaysWhyNot) {
    // A joystick button beside them changes nothing for the keys.
    t.ShowScreen({"Key to cancel = 97", "Key to re-start = 32", "Joystick button to cancel =3"});
    t.ui.Advance(3000);
    EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 65), 65);  // "A" is another key
    EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 13), 13);
    EXPECT_TRUE(t.Open("ShutdownScreen"));
    EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 97), 0);
    EXPECT_FALSE(t.Open("ShutdownScreen"));
    EXPECT_TRUE(t.ui.quitRequested());
    EXPECT_TRUE(t.processes.restarts().empty());
    EXPECT_EQ(t.LastEvents(2), (Lines{"User canceled shutdown at 7 seconds.", "Tamrel ended."}));

    // The new instance starts from the program folder.
    TestPlatform p;
    p.ShowScreen({"Key to re-start = 32"});
    p.ui.Advance(6000);
    // The screen is free before the new instance starts the program on it.
    bool freeBeforeRestart = false;
    p.ui.OnHandOver([&] { freeBeforeRestart = !p.Open("ShutdownScreen") && p.processes.restarts().empty(); });
    EXPECT_EQ(p.ui.PressKey("ShutdownScreen", 32), 0);
    EXPECT_TRUE(freeBeforeRestart);
    EXPECT_EQ(p.processes.restarts(), Lines{p.folder()});
    EXPECT_FALSE(p.Open("ShutdownScreen"));
    EXPECT_EQ(p.LastEvents(3), (Lines{"User chose to cancel shutdown and re-start program at 4 seconds.",
                                      "Tamrel ended.", "Re-starting Tamrel"}));

    TestPlatform failed;
    failed.processes.FailRestart(RuntimeError(13, "Permission denied"));
    failed.ShowScreen({"Key to re-start = 32"});
    failed.ui.PressKey("ShutdownScreen", 32);
    EXPECT_FALSE(failed.Open("ShutdownScreen"));
    EXPECT_EQ(failed.LastEvents(1), Lines{"Tamrel could not re-start: Permission denied"});
    EXPECT_EQ(failed.Errors(), Lines{" --Tamrel could not re-start: Permission denied"});
    for (TestPlatform* ended : {&t, &p, &failed}) {
        ended->ui.Advance(20000);
        EXPECT_TRUE(ended->power.requests().empty());
    }
}

TEST_F(Countdown, ALeftClickOnTheBackgroundStandsInForAMouseKey) {
    // The re-start key may not be the cancel key: that one has no hint.
    t.ShowScreen({"Key to cancel = -1", "Key to re-start = -1"});
    EXPECT_FALSE(t.Screen("restartHint").Visible());
    // The click injected to take the focus is delivered, and ignored: none is left to cancel later.
    t.ui.ProcessPendingEvents();
    t.ui.ClickControl("ShutdownScreen", "defaultNumber");  // the frame and its labels are no background
    t.ui.ClickControl("ShutdownScreen", "defaultLook");
    t.ui.PressKey("ShutdownScreen", 27);
    EXPECT_TRUE(t.Open("ShutdownScreen"));
    t.ui.Advance(2000);
    t.ui.ClickWindow("ShutdownScreen");
    EXPECT_FALSE(t.Open("ShutdownScreen"));
    EXPECT_EQ(t.LastEvents(2), (Lines{"User canceled shutdown at 8 seconds.", "Tamrel ended."}));

    TestPlatform p;
    p.ShowScreen({"Key to re-start = -1"});
    p.ui.ClickWindow("ShutdownScreen");
    EXPECT_EQ(p.processes.restarts().size(), 1u);
    EXPECT_FALSE(p.Open("ShutdownScreen"));

    // Without a mouse key a click changes nothing.
    TestPlatform q;
    q.ShowScreen();
    q.ui.ClickWindow("ShutdownScreen");
    EXPECT_TRUE(q.Open("ShutdownScreen"));
}

}  // namespace
}  // namespace tamrel::test
