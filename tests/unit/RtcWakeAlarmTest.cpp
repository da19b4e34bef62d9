// The wake-up alarm's time: the next local occurrence across midnight and
// daylight saving, the clock's time base, and devices that refuse.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "run/NextOccurrence.h"
#include "platform/posix/RtcWakeAlarm.h"

namespace tamrel {
namespace {

// TZ for the test's length; the old one back after.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::optional<std::string> old_;
};

// Seconds since the epoch of a UTC date and time.
std::time_t Utc(int year, int month, int day, int hour, int minute) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    return ::timegm(&fields);
}

TEST(RtcWakeAlarm, TheNextOccurrenceIsTheNextLocalTimeOfThatDayOrTheDayAfter) {
    struct Case {
        const char* zone;
        std::time_t now;
        long minutes;
        std::time_t next;
        const char* text;
    };
    const Case cases[] = {
        // Later today; reached just now means tomorrow; midnight is the next day's start.
        {"UTC0", Utc(2026, 12, 7, 22, 30), 23 * 60, Utc(2026, 12, 7, 23, 0), "Mon 23:00"},
        {"UTC0", Utc(2026, 12, 7, 8, 30), 8 * 60 + 30, Utc(2026, 12, 8, 8, 30), "Tue 08:30"},
        {"UTC0", Utc(2026, 12, 7, 23, 59), 0, Utc(2026, 12, 8, 0, 0), "Tue 00:00"},
        {"UTC0", Utc(2026, 12, 31, 23, 0), 7 * 60, Utc(2027, 1, 1, 7, 0), "Fri 07:00"},
        // Central Europe, winter (UTC+1) and summer (UTC+2).
        {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2026, 12, 7, 20, 0), 8 * 60, Utc(2026, 12, 8, 7, 0), "Tue 08:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2026, 7, 1, 20, 0), 8 * 60, Utc(2026, 7, 2, 6, 0), "Thu 08:00"},
        // The night summer time starts (29 March 2026): 08:00 is UTC+2 already.
        {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2026, 3, 28, 22, 0), 8 * 60, Utc(2026, 3, 29, 6, 0), "Sun 08:00"},
        // And ends (25 October 2026): back to UTC+1.
        {"CET-1CEST,M3.5.0,M10.5.0/3", Utc(2026, 10, 24, 21, 0), 8 * 60, Utc(2026, 10, 25, 7, 0), "Sun 08:00"},
    };
    for (const Case& c : cases) {
        TimeZone zone(c.zone);
        const std::time_t next = NextOccurrence(c.now, c.minutes);
        EXPECT_EQ(next, c.next) << c.text;
        EXPECT_EQ(WakeDayText(next), c.text);
    }
    // 02:30 does not exist the night summer time starts: the alarm is
    // still set that night, never a day late, and after now.
    TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::time_t now = Utc(2026, 3, 28, 22, 0);
    const std::time_t gap = NextOccurrence(now, 2 * 60 + 30);
    EXPECT_GT(gap, now);
    EXPECT_LE(gap, Utc(2026, 3, 29, 1, 30));
}

TEST(RtcWakeAlarm, TheAlarmIsWrittenInTheClocksOwnTimeBase) {
    EXPECT_TRUE(ClockKeepsLocalTime("0.0 0 0.0\n0\nLOCAL\n"));
    EXPECT_TRUE(ClockKeepsLocalTime("0.0 0 0.0\r\n0\r\nLOCAL\r\n"));
    for (const char* utc : {"0.0 0 0.0\n0\nUTC\n", "", "0.0 0 0.0\n0\n", "LOCAL\n", "0.0 0 0.0\n0\nlocal time\n"}) {
        EXPECT_FALSE(ClockKeepsLocalTime(utc)) << utc;
    }
    TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::time_t when = Utc(2026, 12, 31, 23, 30);  // 00:30 on New Year's Day, local
    const std::tm utc = ClockFields(when, false);
    const std::tm local = ClockFields(when, true);
    EXPECT_EQ(std::make_tuple(utc.tm_year, utc.tm_mon, utc.tm_mday, utc.tm_hour, utc.tm_min),
              std::make_tuple(126, 11, 31, 23, 30));
    EXPECT_EQ(std::make_tuple(local.tm_year, local.tm_mon, local.tm_mday, local.tm_hour, local.tm_min),
              std::make_tuple(127, 0, 1, 0, 30));
}

TEST(RtcWakeAlarm, ADeviceThatCannotTakeTheAlarmSaysWhyAndWhatToDo) {
    const auto folder = std::filesystem::temp_directory_path() / ("tamrel-rtc-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string plain = (folder / "rtc0").string();
    std::ofstream(plain) << "not a clock";
    const std::string missing = (folder / "rtc9").string();
    const std::string adjtime = (folder / "adjtime").string();

    const WakeAnswer none = RtcWakeAlarm(missing, adjtime).Set(510, std::time(nullptr));
    EXPECT_EQ(none.when, "");
    EXPECT_EQ(none.why, missing + " does not exist: this machine shows no real-time clock to wake it");

    const WakeAnswer file = RtcWakeAlarm(plain, adjtime).Set(510, std::time(nullptr));
    EXPECT_EQ(file.when, "");
    EXPECT_TRUE(file.why.starts_with(plain + " takes no wake-up alarm: ")) << file.why;
    EXPECT_EQ(std::ifstream(plain).get(), 'n');  // nothing written into it

    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tamrel
