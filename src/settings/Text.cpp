#include "settings/Text.h"

namespace tamrel {

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string Mid(std::string_view text, std::size_t position) {
    if (position == 0 || position > text.size()) return {};
    return std::string(text.substr(position - 1));
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string PlainNumber(long value) { return std::to_string(value); }

std::string SignedNumber(long value) {
    return value >= 0 ? " " + std::to_string(value) : std::to_string(value);
}

std::string DurationText(double seconds) {
    const long whole = seconds < 0 ? 0 : static_cast<long>(seconds + 0.5);
    if (whole < 60) return PlainNumber(whole) + (whole == 1 ? " second" : " seconds");
    if (whole < 3600) return PlainNumber(whole / 60) + " min " + PlainNumber(whole % 60) + " s";
    return PlainNumber(whole / 3600) + " h " + PlainNumber(whole % 3600 / 60) + " min";
}

std::string MinutesText(long minutes) { return PlainNumber(minutes) + (minutes == 1 ? " minute" : " minutes"); }

std::optional<long> ReadTimeOfDay(std::string_view text) {
    const std::string time = Trim(text);
    if (time.empty()) return kNoTimeOfDay;
    const auto digit = [&](std::size_t at) { return time[at] >= '0' && time[at] <= '9' ? time[at] - '0' : -100; };
    // "8:30" reads as a person writes it; "08:30" as setup writes it.
    const std::size_t colon = time.find(':');
    if ((colon != 1 && colon != 2) || time.size() != colon + 3) return std::nullopt;
    const long hours = colon == 1 ? digit(0) : digit(0) * 10 + digit(1);
    const long minutes = digit(colon + 1) * 10 + digit(colon + 2);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return std::nullopt;
    return hours * 60 + minutes;
}

std::string TimeOfDayText(long minutes) {
    if (minutes < 0 || minutes >= 24 * 60) return "";
    const char text[] = {static_cast<char>('0' + minutes / 600), static_cast<char>('0' + minutes / 60 % 10), ':',
                         static_cast<char>('0' + minutes % 60 / 10), static_cast<char>('0' + minutes % 10), '\0'};
    return text;
}

}  // namespace tamrel
