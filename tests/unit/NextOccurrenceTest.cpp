#include <gtest/gtest.h>

#include "LocalTime.h"
#include "run/NextOccurrence.h"

namespace tamrel::test {
namespace {

constexpr long At(int hour, int minute) { return hour * 60L + minute; }

TEST(NextOccurrence, ComesLaterTodayOrElseTomorrowAcrossMidnightAndDaylightSaving) {
    InZone berlin(kBerlin);
    // A winter day, an hour ahead of UTC.
    EXPECT_EQ(NextOccurrence(Utc(2026, 12, 7, 16, 59, 30), At(18, 0)), Utc(2026, 12, 7, 17, 0));
    // Reached: the next is tomorrow, not now again.
    EXPECT_EQ(NextOccurrence(Utc(2026, 12, 7, 17, 0), At(18, 0)), Utc(2026, 12, 8, 17, 0));
    // Started after closing time.
    EXPECT_EQ(NextOccurrence(Utc(2026, 12, 7, 21, 0), At(18, 0)), Utc(2026, 12, 8, 17, 0));
    // Midnight, and the last day of the year.
    EXPECT_EQ(NextOccurrence(Utc(2026, 12, 31, 22, 59), At(0, 0)), Utc(2026, 12, 31, 23, 0));
    EXPECT_EQ(NextOccurrence(Utc(2026, 12, 31, 23, 0), At(0, 0)), Utc(2027, 1, 1, 23, 0));
    // The day summer time starts has 23 hours: 18:00 is 16:00 UTC then.
    EXPECT_EQ(NextOccurrence(Utc(2026, 3, 28, 18, 0), At(18, 0)), Utc(2026, 3, 29, 16, 0));
    // 02:30 does not exist that night; it comes as 03:30 summer time.
    EXPECT_EQ(NextOccurrence(Utc(2026, 3, 28, 23, 0), At(2, 30)), Utc(2026, 3, 29, 1, 30));
    // The night it ends, 02:30 comes twice: once counts, the next is a day on.
    EXPECT_EQ(NextOccurrence(Utc(2026, 10, 24, 23, 0), At(2, 30)), Utc(2026, 10, 25, 0, 30));
    EXPECT_EQ(NextOccurrence(Utc(2026, 10, 25, 0, 30), At(2, 30)), Utc(2026, 10, 26, 1, 30));
    EXPECT_EQ(NextOccurrence(Utc(2026, 10, 25, 12, 0), At(18, 0)), Utc(2026, 10, 25, 17, 0));
}

TEST(NextOccurrence, FollowsTheZoneInForceWhenAsked) {
    // The same moment, another zone: what a changed time zone does.
    const std::time_t now = Utc(2026, 12, 7, 12, 0);
    {
        InZone utc("UTC0");
        EXPECT_EQ(NextOccurrence(now, At(18, 0)), Utc(2026, 12, 7, 18, 0));
    }
    InZone newYork("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(NextOccurrence(now, At(18, 0)), Utc(2026, 12, 7, 23, 0));
    EXPECT_EQ(NextOccurrence(now, At(6, 0)), Utc(2026, 12, 8, 11, 0));
}

}  // namespace
}  // namespace tamrel::test
