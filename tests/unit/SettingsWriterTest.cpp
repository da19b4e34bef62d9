#include <algorithm>
#include <tuple>

#include "TestPlatform.h"
#include "settings/Numbers.h"
#include "settings/SettingsWriter.h"
#include "settings/Text.h"

namespace tamrel::test {
namespace {

Settings Sample(const std::string& program) {
    return {.runSetup = false, .programPath = program, .shutdownMethod = 2, .cancelSeconds = 7, .cancelKey = -1,
            .restartKey = 13, .boxTop = -30, .boxLeft = 1200, .boxFontName = "Courier New", .boxFontSize = "13.5",
            .boxBold = "True", .boxItalic = true, .boxColor = 65280, .skinPath = "use default", .shortestRun = 0,
            .cancelButton = 4, .restartButton = 12, .idleMinutes = 30, .closingTime = 18 * 60 + 5, .wakeTime = 7 * 60 + 30};
}

TEST(SettingsWriter, SeventySixLinesWithTheValuesInTheirForms) {
    Settings s = Sample("C:\\Games\\front.bat");
    const std::string text = SettingsFileText(s, "12/6/2026 8:05:52 PM");
    const Lines lines = CrLfLines(text);
    ASSERT_EQ(lines.size(), 76u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(lines[0], "########## Tamrel settings file... created on 12/6/2026 8:05:52 PM");
    Lines keyLines = lines;
    std::erase_if(keyLines, [](const std::string& l) { return l[0] == '#'; });
    EXPECT_EQ(keyLines, (Lines{"Run Setup = no", "Program =C:\\Games\\front.bat", "Shutdown method =2",
                               "Seconds to cancel =7", "Key to cancel =-1", "Key to re-start =13",
                               "Countdown box X position =-30", "Countdown box Y position = 1200",
                               "Countdown box font =Courier New", "Countdown box italic =True",
                               "Countdown box fontsize =13.5", "Countdown box bold font =True",
                               "Countdown box color = 65280", "Skin =use default", "Shortest run in seconds =0",
                               "Joystick button to cancel =4", "Joystick button to re-start =12",
                               "Idle minutes to power off =30", "Power off at =18:05", "Wake up at =07:30"}));
}

TEST(SettingsWriter, OutOfRangeValuesAreCorrectedInTheStateToo) {
    Settings s = Sample("x");
    s.shutdownMethod = 3;
    s.cancelSeconds = 30;
    s.cancelKey = 0;
    s.restartKey = 27;
    s.cancelButton = 33;
    s.restartButton = 12;
    const Lines lines = CrLfLines(SettingsFileText(s, ""));
    for (const char* line : {"Shutdown method =0", "Seconds to cancel =10", "Key to cancel =27", "Key to re-start =0",
                             "Joystick button to cancel =0", "Joystick button to re-start =12"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
    EXPECT_EQ(std::tie(s.shutdownMethod, s.restartKey), std::make_tuple(0, 0));
    s.cancelKey = 300;  // no upper bound here
    s.restartKey = -4;
    s.cancelButton = 12;
    const Lines more = CrLfLines(SettingsFileText(s, ""));
    EXPECT_NE(std::find(more.begin(), more.end(), "Key to cancel =300"), more.end());
    EXPECT_EQ(std::tie(s.restartKey, s.restartButton), std::make_tuple(0, 0));
    // Sizes go back with a full stop whatever the user's locale.
    EXPECT_EQ(SingleText(13.5), "13.5");
    EXPECT_EQ(SingleText(9.75), "9.75");
    EXPECT_EQ(SingleText(12), "12");
}

TEST(SettingsText, TimesOfDayReadAsPeopleWriteThemAndGoBackAsSetupWrites) {
    EXPECT_EQ(ReadTimeOfDay(" 18:00 "), 18 * 60);
    EXPECT_EQ(ReadTimeOfDay("8:05"), 8 * 60 + 5);
    EXPECT_EQ(ReadTimeOfDay("00:00"), 0);
    EXPECT_EQ(ReadTimeOfDay("23:59"), 23 * 60 + 59);
    EXPECT_EQ(ReadTimeOfDay(""), kNoTimeOfDay);
    EXPECT_EQ(ReadTimeOfDay("   "), kNoTimeOfDay);
    for (const char* bad : {"24:00", "12:60", "6pm", "18.00", "18:0", "018:00", "18:00:00", ":30", "-1:30", "1 :30"}) {
        EXPECT_EQ(ReadTimeOfDay(bad), std::nullopt) << bad;
    }
    Settings s = Sample("x");
    s.closingTime = 24 * 60;  // no such time: none, in the state too
    const Lines lines = CrLfLines(SettingsFileText(s, ""));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Power off at ="), lines.end());
    EXPECT_EQ(s.closingTime, kNoTimeOfDay);
}

}  // namespace
}  // namespace tamrel::test
