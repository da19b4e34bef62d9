#include <cmath>

#include "TestPlatform.h"
#include "settings/Numbers.h"
#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel {
namespace {

TEST(LenientNumber, ReadsTheLongestLeadingNumberIgnoringBlanks) {
    // An exponent mark without digits is not part of the number, a carriage
    // return is not a blank, and values beyond a double become infinity or 0.
    const double inf = HUGE_VAL;
    const std::pair<std::string, double> cases[] = {
        {"27", 27}, {"  -1", -1}, {"1 5", 15}, {"\t1\n2 . 5", 12.5}, {"12abc", 12}, {"+7", 7}, {".5", 0.5},
        {"1.5.3", 1.5}, {"1e3", 1000}, {"1D2", 100}, {"2E-1x", 0.2}, {"4e", 4}, {"4e+", 4}, {"", 0}, {"abc", 0},
        {"-", 0}, {".", 0}, {"--5", 0}, {"1\r2", 1}, {"1e400", inf}, {"-1e400", -inf},
        {std::string(400, '9'), inf}, {"1e99999999999999999999", inf}, {"1e-400", 0},
        {"0." + std::string(400, '0') + "1", 0}};
    for (const auto& [text, value] : cases) EXPECT_EQ(LenientNumber(text), value) << text;
}

TEST(Rounding, HalvesGoToTheEvenNeighbourAndWidthsAreChecked) {
    for (const auto& [value, rounded] : {std::pair<double, int>{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.6, 3},
                                         {32767, 32767}, {-32768, -32768}, {32767.4, 32767}}) {
        EXPECT_EQ(ToInt16(value), rounded) << value;
    }
    for (const double value : {32767.5, -32769.0, 99999.0, HUGE_VAL}) {
        EXPECT_EQ(test::ErrorOf([&] { ToInt16(value); }).Number(), error::kOverflow) << value;
    }
    EXPECT_EQ(ToInt32(16777215), 16777215);
    EXPECT_EQ(ToInt32(-2147483648.0), -2147483647 - 1);
    for (const double value : {2147483648.0, std::nan("")}) {
        EXPECT_EQ(test::ErrorOf([&] { ToInt32(value); }).Number(), error::kOverflow) << value;
    }
}

TEST(Conversions, TrueFalseStrictNumbersAndTheirTexts) {
    for (const auto& [text, value] : {std::pair<const char*, bool>{"true", true}, {"TRUE", true}, {"False", false},
                                      {"0", false}, {"-1", true}, {" 12 ", true}}) {
        EXPECT_EQ(ToBoolean(text), value) << text;
    }
    EXPECT_EQ(StrictNumber(" 12 "), 12);
    EXPECT_EQ(StrictNumber("13.5"), 13.5);
    for (const char* text : {"maybe", "", "1x"}) {
        EXPECT_EQ(test::ErrorOf([&] { ToBoolean(text); }).Number(), error::kTypeMismatch) << text;
    }
    for (const char* text : {"12pt", "1 2", ""}) {
        EXPECT_EQ(test::ErrorOf([&] { StrictNumber(text); }).Number(), error::kTypeMismatch) << text;
    }
}

TEST(Printable, ControlCharactersCannotForgeALineOrReachATerminal) {
    EXPECT_EQ(Printable("x\r\n12/07/26 03:00:00 --- User canceled"), "x\\r\\n12/07/26 03:00:00 --- User canceled");
    EXPECT_EQ(Printable(std::string("\a\x1b[2J\tend\x7f\0", 11)), "\\x07\\x1B[2J\\tend\\x7F\\x00");
    // Paths and other scripts pass as they are.
    EXPECT_EQ(Printable("C:\\Spiele\\\xce\xb1.exe"), "C:\\Spiele\\\xce\xb1.exe");
}

}  // namespace
}  // namespace tamrel
