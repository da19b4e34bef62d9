// The wake-up alarm: the clock's time base, the day and time it is told in,
// and devices that refuse. (When it falls: NextOccurrence.)

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "LocalTime.h"
#include "platform/posix/RtcWakeAlarm.h"

namespace tamrel::test {
namespace {

TEST(RtcWakeAlarm, TheAlarmIsWrittenInTheClocksOwnTimeBaseAndToldInLocalTime) {
    EXPECT_TRUE(ClockKeepsLocalTime("0.0 0 0.0\n0\nLOCAL\n"));
    EXPECT_TRUE(ClockKeepsLocalTime("0.0 0 0.0\r\n0\r\nLOCAL\r\n"));
    for (const char* utc : {"0.0 0 0.0\n0\nUTC\n", "", "0.0 0 0.0\n0\n", "LOCAL\n", "0.0 0 0.0\n0\nlocal time\n"}) {
        EXPECT_FALSE(ClockKeepsLocalTime(utc)) << utc;
    }
    InZone berlin(kBerlin);
    const std::time_t when = Utc(2026, 12, 31, 23, 30);  // 00:30 on New Year's Day, local
    EXPECT_EQ(WakeDayText(when), "Fri 00:30");
    EXPECT_EQ(WakeDayText(Utc(2026, 7, 2, 6, 0)), "Thu 08:00");  // summer time
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
}  // namespace tamrel::test
