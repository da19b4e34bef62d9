#pragma once
// Local times in a zone of the test's choosing, without the system's zone
// files, and moments written as UTC dates.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tamrel::test {

// Central Europe, summer time from the last Sunday of March to the last of
// October.
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";

// TZ for the object's life; the old one back after.
class InZone {
public:
    explicit InZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~InZone() {
        if (old_) ::setenv("TZ", old_->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }
    InZone(const InZone&) = delete;
    InZone& operator=(const InZone&) = delete;

private:
    std::optional<std::string> old_;
};

inline std::time_t Utc(int year, int month, int day, int hour, int minute, int second = 0) {
    std::tm at{};
    at.tm_year = year - 1900;
    at.tm_mon = month - 1;
    at.tm_mday = day;
    at.tm_hour = hour;
    at.tm_min = minute;
    at.tm_sec = second;
    return ::timegm(&at);
}

}  // namespace tamrel::test
