#pragma once
// The wake-up alarm of the machine's real-time clock. The clock keeps UTC
// or local time, as /etc/adjtime says; the alarm is written in the clock's
// own time, through the device's wake-alarm call, cleared first since a
// set alarm refuses a new one.

#include <ctime>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Power.h"

namespace tamrel {

// /etc/adjtime's third line says LOCAL; anything else, or no file, is UTC.
bool ClockKeepsLocalTime(std::string_view adjtime);

// A moment's fields in the clock's time base.
std::tm ClockFields(std::time_t when, bool localClock);

// "Tue 08:30", the local time, whatever the locale.
std::string WakeDayText(std::time_t when);

class RtcWakeAlarm {
public:
    explicit RtcWakeAlarm(std::string device = "/dev/rtc0", std::string adjtime = "/etc/adjtime")
        : device_(std::move(device)), adjtime_(std::move(adjtime)) {}
    WakeAnswer Set(long minutes, std::time_t now) const;

private:
    std::string device_;
    std::string adjtime_;
};

}  // namespace tamrel
