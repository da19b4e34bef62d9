#include <gtest/gtest.h>

#include "TestPlatform.h"
#include "settings/Numbers.h"
#include "settings/SettingsWriter.h"
#include "settings/SetupReader.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel::test {
namespace {

using Lines = std::vector<std::string>;

Settings Sample(const std::string& program) {
    Settings s;
    s.programPath = program;
    s.shutdownMethod = 2;
    s.cancelSeconds = 7;
    s.cancelKey = -1;
    s.restartKey = 13;
    s.boxTop = -30;
    s.boxLeft = 1200;
    s.boxFontName = "Courier New";
    s.boxFontSize = "13.5";
    s.boxBold = "True";
    s.boxItalic = true;
    s.boxColor = 65280;
    s.skinPath = "use default";
    return s;
}

TEST(SettingsWriter, SixtyFourLinesWithTheValuesInTheirForms) {
    Settings s = Sample("C:\\Games\\front.bat");
    const std::string text = SettingsFileText(s, "12/6/2026 8:05:52 PM");
    const Lines lines = CrLfLines(text);
    ASSERT_EQ(lines.size(), 64u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(lines[0], "########## Tamrel settings file... created on 12/6/2026 8:05:52 PM");
    EXPECT_EQ(lines[4], "# This program was created to use with home arcade machines, but can be used in ");
    const std::pair<int, std::string> keyLines[] = {
        {18, "Run Setup = no"},
        {21, "Program =C:\\Games\\front.bat"},
        {25, "Shutdown method =2"},
        {28, "Seconds to cancel =7"},
        {33, "Key to cancel =-1"},
        {39, "Key to re-start =13"},
        {42, "Countdown box X position =-30"},
        {44, "Countdown box Y position = 1200"},
        {46, "Countdown box font =Courier New"},
        {48, "Countdown box italic =True"},
        {50, "Countdown box fontsize =13.5"},
        {52, "Countdown box bold font =True"},
        {55, "Countdown box color = 65280"},
        {58, "Skin =use default"},
    };
    for (const auto& [number, line] : keyLines) EXPECT_EQ(lines[number - 1], line);
    int keys = 0;
    for (const std::string& line : lines) keys += line[0] != '#';
    EXPECT_EQ(keys, 14);
    EXPECT_EQ(lines[30], lines[35]);
    EXPECT_EQ(lines[30].rfind("# ", 0), 0u);
}

TEST(SettingsWriter, OutOfRangeValuesAreCorrectedInTheStateToo) {
    Settings s = Sample("x");
    s.shutdownMethod = 3;
    s.cancelSeconds = 30;
    s.cancelKey = 0;
    s.restartKey = 27;
    const Lines lines = CrLfLines(SettingsFileText(s, ""));
    EXPECT_EQ(lines[24], "Shutdown method =0");
    EXPECT_EQ(lines[27], "Seconds to cancel =10");
    EXPECT_EQ(lines[32], "Key to cancel =27");
    EXPECT_EQ(lines[38], "Key to re-start =0");
    EXPECT_EQ(s.shutdownMethod, 0);
    EXPECT_EQ(s.restartKey, 0);
    s.cancelKey = 300;  // no upper bound here
    s.restartKey = -4;
    EXPECT_EQ(CrLfLines(SettingsFileText(s, ""))[32], "Key to cancel =300");
    EXPECT_EQ(s.restartKey, 0);
    // Sizes go back with a full stop whatever the user's locale.
    EXPECT_EQ(SingleText(13.5), "13.5");
    EXPECT_EQ(SingleText(9.75), "9.75");
    EXPECT_EQ(SingleText(12), "12");
}

TEST(SettingsWriter, EveryReaderAcceptsWhatItWrites) {
    TestPlatform t;
    t.Write("front.exe", "MZ");
    Settings written = Sample(t.Path("front.exe"));
    written.boxColor = 255;
    WriteSettingsFile(written, *t.files, t.clock.text());

    Settings read;
    EXPECT_EQ(ReadSettingsForSetup(read, t.app.logs(), *t.files, t.ui), SetupReadResult::Accepted);
    EXPECT_EQ(read.programPath, written.programPath);
    EXPECT_EQ(read.cancelKey, -1);
    EXPECT_EQ(read.restartKey, 13);
    EXPECT_EQ(read.boxTop, -30);
    EXPECT_EQ(read.boxLeft, 1200);
    EXPECT_EQ(read.boxFontSize, "13.5");
    EXPECT_TRUE(read.boxItalic);

    t.app.Start();  // the run window launches it, the shutdown screen counts it complete
    ASSERT_EQ(t.processes.starts().size(), 1u);
    ASSERT_TRUE(t.Shown("ShutdownScreen"));
    EXPECT_TRUE(t.Open("ShutdownScreen"));
    EXPECT_TRUE(t.ui.messageBoxes().empty());
}

}  // namespace
}  // namespace tamrel::test
