#include <gtest/gtest.h>

#include <cmath>

#include "TestPlatform.h"
#include "platform/RuntimeError.h"
#include "settings/Numbers.h"
#include "settings/Text.h"

namespace tamrel {
namespace {

long ErrorNumberOf(const std::function<void()>& action) { return test::ErrorOf(action).Number(); }

TEST(LenientNumber, ReadsTheLongestLeadingNumberIgnoringBlanks) {
    EXPECT_EQ(LenientNumber("27"), 27);
    EXPECT_EQ(LenientNumber("  -1"), -1);
    EXPECT_EQ(LenientNumber("1 5"), 15);
    EXPECT_EQ(LenientNumber("\t1\n2 . 5"), 12.5);
    EXPECT_EQ(LenientNumber("12abc"), 12);
    EXPECT_EQ(LenientNumber("+7"), 7);
    EXPECT_EQ(LenientNumber(".5"), 0.5);
    EXPECT_EQ(LenientNumber("1.5.3"), 1.5);
    EXPECT_EQ(LenientNumber("1e3"), 1000);
    EXPECT_EQ(LenientNumber("1D2"), 100);
    EXPECT_EQ(LenientNumber("2E-1x"), 0.2);
    // An exponent mark without digits is not part of the number.
    EXPECT_EQ(LenientNumber("4e"), 4);
    EXPECT_EQ(LenientNumber("4e+"), 4);
    // No leading number at all.
    EXPECT_EQ(LenientNumber(""), 0);
    EXPECT_EQ(LenientNumber("abc"), 0);
    EXPECT_EQ(LenientNumber("-"), 0);
    EXPECT_EQ(LenientNumber("."), 0);
    EXPECT_EQ(LenientNumber("--5"), 0);
    // A carriage return is not a blank.
    EXPECT_EQ(LenientNumber("1\r2"), 1);
}

TEST(LenientNumber, ValuesBeyondADoubleBecomeInfinityOrZero) {
    EXPECT_TRUE(std::isinf(LenientNumber("1e400")));
    EXPECT_GT(LenientNumber("1e400"), 0);
    EXPECT_LT(LenientNumber("-1e400"), 0);
    EXPECT_TRUE(std::isinf(LenientNumber(std::string(400, '9'))));
    EXPECT_EQ(LenientNumber("1e-400"), 0);
    EXPECT_EQ(LenientNumber("0." + std::string(400, '0') + "1"), 0);
    EXPECT_TRUE(std::isinf(LenientNumber("1e99999999999999999999")));
}

TEST(Rounding, HalvesGoToTheEvenNeighbourAndWidthsAreChecked) {
    EXPECT_EQ(ToInt16(2.5), 2);
    EXPECT_EQ(ToInt16(3.5), 4);
    EXPECT_EQ(ToInt16(-2.5), -2);
    EXPECT_EQ(ToInt16(2.6), 3);
    EXPECT_EQ(ToInt16(32767), 32767);
    EXPECT_EQ(ToInt16(-32768), -32768);
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_EQ(ErrorNumberOf([] { ToInt16(32767.5); }), error::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ToInt16(-32769); }), error::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ToInt16(LenientNumber("99999")); }), error::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ToInt16(LenientNumber("1e400")); }), error::kOverflow);
    EXPECT_EQ(ToInt32(16777215), 16777215);
    EXPECT_EQ(ToInt32(-2147483648.0), -2147483647 - 1);
    EXPECT_EQ(ErrorNumberOf([] { ToInt32(2147483648.0); }), error::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { ToInt32(std::nan("")); }), error::kOverflow);
}

TEST(Conversions, TrueFalseAndStrictNumbers) {
    EXPECT_TRUE(ToBoolean("true"));
    EXPECT_TRUE(ToBoolean("TRUE"));
    EXPECT_FALSE(ToBoolean("False"));
    EXPECT_FALSE(ToBoolean("0"));
    EXPECT_TRUE(ToBoolean("-1"));
    EXPECT_TRUE(ToBoolean(" 12 "));
    EXPECT_EQ(ErrorNumberOf([] { ToBoolean("maybe"); }), error::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { ToBoolean(""); }), error::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { ToBoolean("1x"); }), error::kTypeMismatch);

    EXPECT_EQ(StrictNumber(" 12 "), 12);
    EXPECT_EQ(StrictNumber("13.5"), 13.5);
    EXPECT_EQ(ErrorNumberOf([] { StrictNumber("12pt"); }), error::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { StrictNumber("1 2"); }), error::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { StrictNumber(""); }), error::kTypeMismatch);
}

TEST(NumberTexts, PlainAndSignedForms) {
    EXPECT_EQ(PlainNumber(27), "27");
    EXPECT_EQ(PlainNumber(-1), "-1");
    EXPECT_EQ(SignedNumber(27), " 27");
    EXPECT_EQ(SignedNumber(0), " 0");
    EXPECT_EQ(SignedNumber(-120), "-120");
}

}  // namespace
}  // namespace tamrel
