#include "platform/posix/RtcWakeAlarm.h"

#include <fcntl.h>
#include <linux/rtc.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "run/NextOccurrence.h"
#include "platform/posix/OwnedFd.h"

namespace tamrel {

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string OpenFailure(const std::string& device, int number) {
    const std::string why = std::strerror(number);
    if (number == ENOENT) return device + " does not exist: this machine shows no real-time clock to wake it";
    if (number == EACCES || number == EPERM)
        return device + " may not be written: " + why +
               ". Tamrel's package gives the user at the seat access to it (log in again after installing), "
               "or add a udev rule with TAG+=\"uaccess\" for it";
    return device + " could not be opened: " + why;
}

std::string AlarmFailure(const std::string& device, int number) {
    const std::string why = std::strerror(number);
    if (number == ENOTTY || number == EINVAL)
        return device + " takes no wake-up alarm: " + why + ". The firmware's own setting can wake this machine";
    return "the wake-up alarm of " + device + " could not be set: " + why;
}

}  // namespace

bool ClockKeepsLocalTime(std::string_view adjtime) {
    std::istringstream lines{std::string(adjtime)};
    std::string line;
    for (int i = 0; i < 3; ++i) {
        if (!std::getline(lines, line)) return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line == "LOCAL";
}

std::tm ClockFields(std::time_t when, bool localClock) {
    std::tm fields{};
    if (localClock) {
        localtime_r(&when, &fields);
    } else {
        gmtime_r(&when, &fields);
    }
    return fields;
}

std::string WakeDayText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%s %02d:%02d", kDays[local.tm_wday % 7], local.tm_hour, local.tm_min);
    return text;
}

WakeAnswer RtcWakeAlarm::Set(long minutes, std::time_t now) const {
    const std::time_t when = NextOccurrence(now, minutes);
    const std::tm fields = ClockFields(when, ClockKeepsLocalTime(ReadWhole(adjtime_)));

    const OwnedFd rtc(::open(device_.c_str(), O_RDWR | O_CLOEXEC));
    if (!rtc) return {"", OpenFailure(device_, errno)};

    rtc_wkalrm alarm{};
    alarm.time.tm_sec = fields.tm_sec;
    alarm.time.tm_min = fields.tm_min;
    alarm.time.tm_hour = fields.tm_hour;
    alarm.time.tm_mday = fields.tm_mday;
    alarm.time.tm_mon = fields.tm_mon;
    alarm.time.tm_year = fields.tm_year;
    alarm.time.tm_wday = -1;
    alarm.time.tm_yday = -1;
    alarm.time.tm_isdst = -1;
    // Some clocks know no update interrupt to turn off; the cleared alarm
    // below is what counts. The kernel checks the date of even a cleared
    // alarm, so it is cleared at a real one.
    ::ioctl(rtc.get(), RTC_AIE_OFF, 0);
    alarm.enabled = 0;
    if (::ioctl(rtc.get(), RTC_WKALM_SET, &alarm) != 0) return {"", AlarmFailure(device_, errno)};
    alarm.enabled = 1;
    if (::ioctl(rtc.get(), RTC_WKALM_SET, &alarm) != 0) return {"", AlarmFailure(device_, errno)};
    return {WakeDayText(when), ""};
}

}  // namespace tamrel
