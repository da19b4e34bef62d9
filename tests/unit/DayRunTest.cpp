#include "TestPlatform.h"

namespace tamrel::test {
namespace {

using Kind = headless::WaitEvent::Kind;

// Runs whose end comes from the day: the closing time, or the system going
// down at somebody else's request.
using DayRun = PlatformTest;

TEST_F(DayRun, ClosingTimeEndsTheProgramAndTheScreenSaysSoThenPowersOffOrRunsItAgain) {
    const Lines lines = {"Shutdown method =2", "Idle minutes to power off =30", "Power off at =18:00"};
    t.StartScripted(lines, {{5 * kMinute, Kind::Input, {}}, {20 * kMinute, Kind::ClosingTime, {}}});
    ASSERT_EQ(t.processes.endCalls().size(), 1u);
    EXPECT_EQ(t.processes.endCalls()[0].graceMs, 15000);
    EXPECT_EQ(t.Logged("In Tamrel.set, Power off at =18:00"), 1);
    EXPECT_EQ(t.Logged("Closing time (18:00): asking front.exe to end."), 1);
    // The idle clock, due at 35 minutes, is not a second reason.
    EXPECT_EQ(t.Logged("No input for 30 minutes: asking front.exe to end."), 0);
    EXPECT_EQ(t.Logged("Program ended by signal 15 after 20 min 0 s."), 1);
    EXPECT_EQ(t.ReasonLine(), "Closing time (18:00).");
    t.ui.Advance(10000);
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::PowerOff});

    // The cancel key leaves it on; only the re-start key runs it again, as
    // the hall is closed and a passing key is no player coming back.
    TestPlatform keys;
    keys.StartScripted({"Shutdown method =2", "Power off at =18:00", "Key to re-start =82"},
                       {{kMinute, Kind::ClosingTime, {}}});
    keys.ui.PressKey("ShutdownScreen", 'a');
    EXPECT_TRUE(keys.processes.restarts().empty());
    keys.ui.PressKey("ShutdownScreen", 82);
    EXPECT_EQ(keys.processes.restarts(), Lines{keys.folder()});
    EXPECT_TRUE(keys.power.requests().empty());

    // Without a shutdown method the machine never goes off: no closing time.
    TestPlatform off;
    off.StartScripted({"Shutdown method =0", "Power off at =18:00"}, {{kMinute, Kind::ClosingTime, {}}});
    EXPECT_TRUE(off.processes.endCalls().empty());
    EXPECT_EQ(off.Logged("Closing time (18:00): asking front.exe to end."), 0);
}

TEST_F(DayRun, AShutdownFromOutsideGivesTheProgramItsGraceAndEndsTamrelWithoutTheScreen) {
    // No setting needed: every run is watched for it.
    t.StartScripted({"Shutdown method =0"}, {{3 * kMinute, Kind::SystemShutdown, {}, 4000}});
    ASSERT_EQ(t.processes.endCalls().size(), 1u);
    EXPECT_EQ(t.processes.endCalls()[0].graceMs, 4000);
    EXPECT_EQ(t.LastEvents(4), (Lines{"The system is shutting down: asking front.exe to end.",
                                      "Program (front.exe) finished!", "Program ended by signal 15 after 3 min 0 s.",
                                      "Tamrel ended."}));
    EXPECT_FALSE(t.Shown("ShutdownScreen"));
    EXPECT_TRUE(t.power.requests().empty());

    // One that ignores it is ended at the limit, and the log says so.
    TestPlatform stubborn;
    stubborn.processes.EndWhenAskedWith({0, ProgramEnd::How::Signalled, 9, 184, 0, false, true});
    stubborn.StartScripted({"Shutdown method =1", "Power off at =18:00"},
                           {{3 * kMinute, Kind::SystemShutdown, {}, 4000}});
    EXPECT_EQ(stubborn.Logged("front.exe did not end within 4 seconds of being asked, so it was ended by force."), 1);
    EXPECT_EQ(stubborn.Logged("Program ended by signal 9 after 3 min 4 s."), 1);
    EXPECT_FALSE(stubborn.Shown("ShutdownScreen"));
    EXPECT_TRUE(stubborn.power.requests().empty());
}

}  // namespace
}  // namespace tamrel::test
