// The clock alarm before a power-off: set just before the request, only for
// a power-off, and a failure that keeps nobody from powering off.

#include "TestPlatform.h"

namespace tamrel::test {
namespace {

TEST(WakeUp, TheAlarmIsSetJustBeforeAPowerOffAndOnlyThen) {
    const std::tuple<std::string, std::string, Lines, Lines> cases[] = {
        // method, the wake-up line's value, what the system was asked, the lines before the request's
        {"2", "08:30", {"wake 510", "request 2"}, {"Wake-up set for Tue 08:30."}},
        {"1", "00:00", {"wake 0", "request 1"}, {"Wake-up set for Tue 00:00."}},
        {"2", "23:59", {"wake 1439", "request 2"}, {"Wake-up set for Tue 23:59."}},
        {"0", "08:30", {}, {}},  // no power-off: the machine stays on
        {"2", "", {"request 2"}, {}},
        {"2", "8.30", {"request 2"}, {}},
    };
    for (const auto& [method, wake, calls, lines] : cases) {
        TestPlatform t;
        t.ShowScreen({"Shutdown method =" + method, "Wake up at =" + wake});
        t.ui.Advance(10000);
        EXPECT_EQ(t.power.calls(), calls) << method << wake;
        Lines expected = lines;
        if (method != "0") expected.push_back("Shutting down PC, using shutdown method " + method);
        const Lines events = t.LastEvents(expected.size() + 1);
        EXPECT_EQ(Lines(events.begin(), events.end() - 1), expected) << method << wake;
    }
    // Cancelled before 0: no alarm either.
    TestPlatform t;
    t.ShowScreen({"Shutdown method =2", "Wake up at =08:30"});
    t.ui.Advance(5000);
    EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 27), 0);
    t.ui.Advance(10000);
    EXPECT_EQ(t.power.calls(), Lines{});
}

TEST(WakeUp, AnAlarmThatCannotBeSetIsToldInBothLogsAndTheMachineStillPowersOff) {
    TestPlatform t;
    t.power.FailWakeUp("/dev/rtc0 may not be written: Permission denied\n");
    t.ShowScreen({"Shutdown method =2", "Wake up at =07:05"});
    t.ui.Advance(10000);
    EXPECT_EQ(t.power.calls(), (Lines{"wake 425", "request 2"}));
    const std::string line = "Wake-up at 07:05 not set: /dev/rtc0 may not be written: Permission denied\\n";
    EXPECT_EQ(t.Logged(line), 1);
    EXPECT_EQ(t.Errors(), Lines{" --" + line});
    EXPECT_EQ(t.LastEvents(2), (Lines{"Shutting down PC, using shutdown method 2", "tamrel ended."}));
}

}  // namespace
}  // namespace tamrel::test
