#include "settings/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/RuntimeError.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentMark(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }

// Length of the number at the start of `text` (sign, digits, one point,
// exponent with at least one digit); 0 when there is none.
std::size_t NumberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && IsExponentMark(text[i])) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < text.size() && IsDigit(text[j])) ++j;
        if (j > expStart) i = j;
    }
    return i;
}

// Power of ten of the leading significant digit of an unsigned number text,
// enough to tell a value too large for a double from one too small.
long DecimalMagnitude(std::string_view text) {
    const auto mark = text.find('e');
    const std::string_view mantissa = text.substr(0, mark);
    long exponent = 0;
    if (mark != std::string_view::npos) {
        std::string_view digits = text.substr(mark + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
        for (char c : digits) {
            exponent = exponent * 10 + (c - '0');
            if (exponent > 100000) break;  // far beyond any double
        }
        if (negative) exponent = -exponent;
    }
    const auto point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    const auto firstSignificant = whole.find_first_not_of('0');
    if (firstSignificant != std::string_view::npos) {
        return exponent + static_cast<long>(whole.size() - firstSignificant) - 1;
    }
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
    const auto firstFraction = fraction.find_first_not_of('0');
    return exponent - static_cast<long>(firstFraction == std::string_view::npos ? 0 : firstFraction) - 1;
}

// Converts a text that NumberLength accepted in full. Out-of-range values
// become infinity (too large) or zero (too small), as the numbers they are.
double ConvertNumber(std::string_view number) {
    std::string text(number);
    for (char& c : text) {
        if (IsExponentMark(c)) c = 'e';
    }
    const bool negative = !text.empty() && text[0] == '-';
    std::size_t start = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    double value = 0;
    const auto result = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = DecimalMagnitude(std::string_view(text).substr(start)) > 0
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
    }
    return negative ? -value : value;
}

bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
    std::string packed;
    packed.reserve(text.size());
    for (char c : text) {
        if (!IsIgnored(c)) packed.push_back(c);
    }
    const std::size_t length = NumberLength(packed);
    if (length == 0) return std::nullopt;
    return ConvertNumber(std::string_view(packed).substr(0, length));
}

double LenientNumber(std::string_view text) { return LeadingNumber(text).value_or(0.0); }

namespace {

template <typename Int>
Int RoundChecked(double value) {
    if (std::isnan(value)) throw Overflow();
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        throw Overflow();
    }
    return static_cast<Int>(rounded);
}

}  // namespace

std::int16_t ToInt16(double value) { return RoundChecked<std::int16_t>(value); }
std::int32_t ToInt32(double value) { return RoundChecked<std::int32_t>(value); }

double StrictNumber(std::string_view text) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty() || NumberLength(trimmed) != trimmed.size()) throw TypeMismatch();
    return ConvertNumber(trimmed);
}

double LabelFontSize(std::string_view text) {
    constexpr double kLargest = 2048;
    const double size = StrictNumber(text);
    if (!(size > 0 && size <= kLargest)) {
        throw RuntimeError(error::kInvalidPropertyValue, "Invalid property value");
    }
    return size;
}

std::string SingleText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                                      std::chars_format::general, 7);
    return std::string(buffer, result.ptr);
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

bool ToBoolean(std::string_view text) {
    const std::string word = LowerCase(Trim(text));
    if (word == "true") return true;
    if (word == "false") return false;
    return StrictNumber(word) != 0.0;
}

}  // namespace tamrel
