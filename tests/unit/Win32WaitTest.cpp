// When the Windows wait wakes for its watch: at the watch's time, four times
// a second while input is looked at, and never in a spin.

#include <gtest/gtest.h>

#include <ctime>

#include "platform/win32/Win32WaitLimit.h"
#include "run/NextOccurrence.h"

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
        return graceMs > 0;
    }
    long ClosingTime() const override { return closing; }
    void SystemShuttingDown(SteadyMs, int grace) override { graceMs = grace; }
    int minutes = 0;
    long closing = kNoClosingTime;
    int graceMs = 0;
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

std::time_t LocalToday(int hour, int minute) {
    const std::time_t now = std::time(nullptr);
    std::tm at{};
    localtime_s(&at, &now);
    at.tm_hour = hour;
    at.tm_min = minute;
    at.tm_sec = 0;
    at.tm_isdst = -1;
    return std::mktime(&at);
}

TEST(Win32Wait, TheClosingTimeComesNextAtItsLocalTimeTodayOrElseTomorrow) {
    constexpr long kSix = 18 * 60;
    const std::time_t five = LocalToday(17, 0);
    const std::time_t six = LocalToday(18, 0);
    EXPECT_EQ(NextOccurrence(five, kSix), six);
    // Reached or past: the wait began after it, so not before tomorrow.
    for (const std::time_t after : {six, six + 1, LocalToday(23, 59)}) {
        const std::time_t next = NextOccurrence(after, kSix);
        std::tm at{};
        localtime_s(&at, &next);
        EXPECT_EQ(at.tm_hour * 60 + at.tm_min, kSix);
        EXPECT_GT(next, after);
        EXPECT_LE(next - after, 25 * 60 * 60);
        EXPECT_GE(next - six, 23 * 60 * 60);
    }
    // Midnight is the start of the next day.
    EXPECT_EQ(NextOccurrence(LocalToday(23, 59), 0) - LocalToday(23, 59), 60);
}

TEST(Win32Wait, TheSessionsEndAsksTheProgramToEndInsideTheQueryAndEndsTheWait) {
    FakeWatch watch;
    int endings = 0;
    win32::WatchLimit limit(watch, L"Letting front.exe save and end", [&] { ++endings; });
    // Wine makes no window without a display.
    if (!limit.SessionHandle()) GTEST_SKIP() << "no window can be made here";
    EXPECT_FALSE(limit.Woken());
    EXPECT_EQ(::SendMessageW(limit.SessionHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE)
        << "the session must be let go once the program was asked";
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(watch.graceMs, win32::kSessionEndGraceMs);
    EXPECT_TRUE(limit.Woken());
    // A second query asks nobody again.
    ::SendMessageW(limit.SessionHandle(), WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(endings, 1);

    // Without a session to hear and no closing time, no window is made.
    FakeWatch idle;
    EXPECT_EQ(win32::WatchLimit(idle).SessionHandle(), nullptr);
    idle.closing = 18 * 60;
    EXPECT_NE(win32::WatchLimit(idle).SessionHandle(), nullptr) << "the clock's changes go unheard";
}

}  // namespace
}  // namespace tamrel::test
