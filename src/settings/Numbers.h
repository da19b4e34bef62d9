#pragma once
// Number and flag conversions of the settings file. Every failure is a
// RuntimeError (Overflow or Type mismatch) that the reading window handles.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

// Reads the longest leading number, ignoring blanks, tabs and line feeds
// anywhere; a text without one gives 0. Never fails.
double LenientNumber(std::string_view text);
// The same number, or none when the text holds none.
std::optional<double> LeadingNumber(std::string_view text);

// Round half to even, then check the field's width.
std::int16_t ToInt16(double value);
std::int32_t ToInt32(double value);

// The whole text (blanks around it allowed) must be one number.
double StrictNumber(std::string_view text);

// A font size in points for a label: the whole text must be a number, and
// a size a label cannot take (0 or less, above 2048) is an invalid value.
double LabelFontSize(std::string_view text);

// A single-precision number in its general decimal form ("12", "13.5"),
// always with a full stop, so that every reader reads it back.
std::string SingleText(double value);

// Round half to even, as the whole-number fields are read.
double RoundHalfEven(double value);

// "true" / "false" in any case, or a number (0 is false).
bool ToBoolean(std::string_view text);

}  // namespace tamrel
