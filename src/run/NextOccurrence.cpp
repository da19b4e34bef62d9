#include "run/NextOccurrence.h"

namespace tamrel {

namespace {

// The C library names its thread-safe local time differently on each side.
void LocalTime(std::time_t time, std::tm& out) {
#ifdef _WIN32
    ::localtime_s(&out, &time);
#else
    ::localtime_r(&time, &out);
#endif
}

std::time_t OnDay(const std::tm& day, int daysLater, long minutes) {
    std::tm at = day;
    at.tm_mday += daysLater;
    at.tm_hour = static_cast<int>(minutes / 60);
    at.tm_min = static_cast<int>(minutes % 60);
    at.tm_sec = 0;
    // Whether that day keeps summer time is for mktime to say.
    at.tm_isdst = -1;
    const std::time_t time = std::mktime(&at);
    // When the clock goes back the time comes twice: the first counts.
    const std::time_t hourBefore = time - 3600;
    std::tm earlier{};
    LocalTime(hourBefore, earlier);
    const bool twice = earlier.tm_hour * 60 + earlier.tm_min == minutes && earlier.tm_mday == at.tm_mday;
    return twice ? hourBefore : time;
}

}  // namespace

std::time_t NextOccurrence(std::time_t after, long minutes) {
    std::tm today{};
    LocalTime(after, today);
    // Two days at most: a day of the change may lack the time, never two.
    for (int days = 0; days < 3; ++days) {
        const std::time_t at = OnDay(today, days, minutes);
        if (at > after) return at;
    }
    return OnDay(today, 3, minutes);
}

}  // namespace tamrel
