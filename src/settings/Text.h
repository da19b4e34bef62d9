#pragma once
// The text rules the settings readers are written in: blanks are character
// 32 only (tabs stay), lower-casing is ASCII, positions count from 1.

#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

std::string Trim(std::string_view text);
std::string LowerCase(std::string_view text);
// Everything from the 1-based position on; empty when beyond the end.
std::string Mid(std::string_view text, std::size_t position);
bool EndsWith(std::string_view text, std::string_view tail);

// Plain form: "27", "-1". Signed form: " 27", " 0", "-1".
std::string PlainNumber(long value);
std::string SignedNumber(long value);

// A length of time as a person says it: "1 second", "45 seconds",
// "3 min 5 s", "2 h 14 min".
std::string DurationText(double seconds);
// Whole minutes: "1 minute", "30 minutes".
std::string MinutesText(long minutes);

// A time of day as the file holds it, "HH:MM" on the 24-hour clock, as
// minutes after midnight; "" is kNoTimeOfDay, and anything else is nullopt.
inline constexpr long kNoTimeOfDay = -1;
std::optional<long> ReadTimeOfDay(std::string_view text);
// "18:00"; "" for kNoTimeOfDay.
std::string TimeOfDayText(long minutes);

}  // namespace tamrel
