#include "TestPlatform.h"
#include "run/RunWatch.h"

namespace tamrel::test {
namespace {

// Far from 0, as the backends' clocks are.
constexpr SteadyMs kT0 = 5'000'000'000;

class RunWatchTest : public ::testing::Test {
protected:
    RunWatchTest() { logs.StartRun(); }
    TestPlatform t;
    Logs logs{*t.files, t.clock, t.events};
};

TEST_F(RunWatchTest, InputRestartsTheClockAndOnlyAFullLimitWithoutItAsksTheProgramToEnd) {
    RunWatch watch(logs, "front.sh", 30);
    EXPECT_EQ(watch.IdleMinutes(), 30);
    // The clock starts when the wait first tells the time, whatever its zero.
    EXPECT_LE(watch.NextDue(), kT0);
    EXPECT_FALSE(watch.Due(kT0));
    EXPECT_EQ(watch.NextDue(), kT0 + 30 * kMinute);
    watch.InputSeen(kT0 + 10 * kMinute);
    // A source reporting late does not set the clock back.
    watch.InputSeen(kT0 + 5 * kMinute);
    EXPECT_EQ(watch.NextDue(), kT0 + 40 * kMinute);
    EXPECT_FALSE(watch.Due(kT0 + 40 * kMinute - 1));
    EXPECT_TRUE(t.Events().empty());
    EXPECT_TRUE(watch.Due(kT0 + 40 * kMinute));
    EXPECT_EQ(t.Events(), Lines{"No input for 30 minutes: asking front.sh to end."});
    // Asked once: the wait has nothing more to wake for.
    EXPECT_EQ(watch.NextDue(), kNoDeadline);
    EXPECT_FALSE(watch.Due(kT0 + 90 * kMinute));
    EXPECT_EQ(t.Events().size(), 1u);

    // Input before the first look at the time starts the clock too.
    RunWatch single(logs, "front.sh", 1);
    single.InputSeen(kT0);
    EXPECT_EQ(single.NextDue(), kT0 + kMinute);
    EXPECT_TRUE(single.Due(kT0 + kMinute));
    EXPECT_EQ(t.LastEvents(1), Lines{"No input for 1 minute: asking front.sh to end."});
}

TEST_F(RunWatchTest, ASourceThatTellsOnlyIdlenessHoldsTheClockWhileItSeesInput) {
    RunWatch watch(logs, "front.sh", 30);
    watch.SourceIdle(false, kT0);
    // Input nobody reports may be going on: no time to wake for.
    EXPECT_EQ(watch.NextDue(), kNoDeadline);
    EXPECT_FALSE(watch.Due(kT0 + 120 * kMinute));
    // Idle after its 30 minutes, but a joystick played 10 minutes ago.
    watch.InputSeen(kT0 + 50 * kMinute);
    watch.SourceIdle(true, kT0 + 60 * kMinute);
    EXPECT_EQ(watch.NextDue(), kT0 + 80 * kMinute);
    // Input on the source again counts from its report.
    watch.SourceIdle(false, kT0 + 70 * kMinute);
    watch.SourceIdle(true, kT0 + 100 * kMinute);
    EXPECT_FALSE(watch.Due(kT0 + 99 * kMinute));
    EXPECT_TRUE(watch.Due(kT0 + 100 * kMinute));
}

TEST_F(RunWatchTest, EachNoteIsLoggedOnceHoweverOftenADeviceComesBack) {
    RunWatch watch(logs, "front.sh", 15);
    for (int plugged = 0; plugged < 3; ++plugged) {
        watch.Note("Cannot read the joystick /dev/input/event7: Permission denied");
        watch.Note("Cannot read the joystick /dev/input/event9: Permission denied");
    }
    EXPECT_EQ(t.Events(), (Lines{"Cannot read the joystick /dev/input/event7: Permission denied",
                                 "Cannot read the joystick /dev/input/event9: Permission denied"}));
}

TEST_F(RunWatchTest, TheFirstReasonIsTheOneExceptThatAShutdownFromOutsideOvertakesOneNotYetActedOn) {
    RunWatch watch(logs, "front.sh", 30, 18 * 60);
    EXPECT_EQ(watch.ClosingTime(), 18 * 60);
    watch.InputSeen(kT0);
    watch.ClosingTimeReached(kT0 + kMinute);
    // Due at once, whatever the idle clock says.
    EXPECT_EQ(watch.NextDue(), 0);
    watch.SystemShuttingDown(kT0 + kMinute, 2500);
    EXPECT_TRUE(watch.Due(kT0 + kMinute));
    EXPECT_EQ(watch.reason(), RunWatch::Reason::SystemShutdown);
    EXPECT_EQ(watch.graceMs(), 2500);
    // Once acted on, nothing else is a reason, and nothing more is due.
    watch.ClosingTimeReached(kT0 + 2 * kMinute);
    EXPECT_EQ(watch.NextDue(), kNoDeadline);
    EXPECT_FALSE(watch.Due(kT0 + 100 * kMinute));
    EXPECT_EQ(t.Events(), (Lines{"Closing time (18:00): asking front.sh to end.",
                                 "The system is shutting down: asking front.sh to end."}));

    // Idle first: closing time later changes nothing.
    RunWatch idle(logs, "front.sh", 1, 0);
    EXPECT_TRUE(idle.Due(kT0) == false && idle.Due(kT0 + kMinute));
    idle.ClosingTimeReached(kT0 + 2 * kMinute);
    EXPECT_EQ(idle.reason(), RunWatch::Reason::Idle);
    EXPECT_EQ(idle.NextDue(), kNoDeadline);
    EXPECT_EQ(t.Logged("Closing time (00:00): asking front.sh to end."), 0);

    // Without a closing time the timer's report is ignored.
    RunWatch none(logs, "front.sh", 0);
    none.ClosingTimeReached(kT0);
    EXPECT_EQ(none.NextDue(), kNoDeadline);
    EXPECT_EQ(none.reason(), RunWatch::Reason::None);
}

}  // namespace
}  // namespace tamrel::test
