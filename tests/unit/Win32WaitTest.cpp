// When the Windows wait wakes for its watch: at the watch's time, four times
// a second while input is looked at, and never in a spin.

#include <gtest/gtest.h>

#include "platform/win32/Win32WaitLimit.h"

namespace tamrel::test {
namespace {

class FakeWatch : public ProgramWatch {
public:
    int IdleMinutes() const override { return minutes; }
    void InputSeen(SteadyMs) override {}
    void SourceIdle(bool, SteadyMs) override {}
    void Note(const std::string&) override {}
    SteadyMs NextDue() const override { return due; }
    bool Due(SteadyMs) override {
        ++asked;
        return false;
    }
    int minutes = 0;
    SteadyMs due = kNoDeadline;
    int asked = 0;
};

TEST(Win32Wait, TheWaitWakesForTheWatchAndTheLooksAndAWatchThatSaysNoIsNotAskedInASpin) {
    constexpr SteadyMs kHour = 60 * 60 * 1000;
    FakeWatch off;
    EXPECT_EQ(win32::WatchLimit(off).Timeout(), INFINITE);
    off.due = win32::SteadyNow() + kHour;
    EXPECT_GT(win32::WatchLimit(off).Timeout(), kHour - 5000);

    FakeWatch on;
    on.minutes = 60;
    on.due = win32::SteadyNow() + kHour;
    win32::WatchLimit looking(on);
    EXPECT_LE(looking.Timeout(), static_cast<DWORD>(win32::kIdleLookMs));
    EXPECT_FALSE(looking.Woken());
    EXPECT_EQ(on.asked, 0) << "asked before its time";

    // Due now, and it says no without moving its time.
    off.due = 0;
    win32::WatchLimit due(off);
    EXPECT_EQ(due.Timeout(), 0u);
    EXPECT_FALSE(due.Woken());
    EXPECT_EQ(off.asked, 1);
    EXPECT_GT(due.Timeout(), static_cast<DWORD>(win32::kIdleLookMs) / 2);
    EXPECT_FALSE(due.Woken());
    EXPECT_EQ(off.asked, 1);
}

}  // namespace
}  // namespace tamrel::test
