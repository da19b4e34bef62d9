#pragma once
// Number and flag conversions of the settings file. Every failure is a
// RuntimeError (Overflow or Type mismatch) that the reading window handles.

#include <cstdint>
#include <string_view>

namespace tamrel {

// Reads the longest leading number, ignoring blanks, tabs and line feeds
// anywhere; a text without one gives 0. Never fails.
double LenientNumber(std::string_view text);

// Round half to even, then check the field's width.
std::int16_t ToInt16(double value);
std::int32_t ToInt32(double value);

// The whole text (blanks around it allowed) must be one number.
double StrictNumber(std::string_view text);

// "true" / "false" in any case, or a number (0 is false).
bool ToBoolean(std::string_view text);

}  // namespace tamrel
