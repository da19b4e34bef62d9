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
    s.ProgramPath = program;
    s.ShutdownMethod = 2;
    s.CancelSeconds = 7;
    s.CancelKey = -1;
    s.RestartKey = 13;
    s.BoxX = -30;
    s.BoxY = 1200;
    s.BoxFontName = "Courier New";
    s.BoxFontSize = "13.5";
    s.BoxBold = "True";
    s.BoxItalic = true;
    s.BoxColor = 65280;
    s.SkinPath = "use default";
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
    s.ShutdownMethod = 3;
    s.CancelSeconds = 30;
    s.CancelKey = 0;
    s.RestartKey = 27;
    const Lines lines = CrLfLines(SettingsFileText(s, ""));
    EXPECT_EQ(lines[24], "Shutdown method =0");
    EXPECT_EQ(lines[27], "Seconds to cancel =10");
    EXPECT_EQ(lines[32], "Key to cancel =27");
    EXPECT_EQ(lines[38], "Key to re-start =0");
    EXPECT_EQ(s.ShutdownMethod, 0);
    EXPECT_EQ(s.RestartKey, 0);
    s.CancelKey = 300;  // no upper bound here
    s.RestartKey = -4;
    EXPECT_EQ(CrLfLines(SettingsFileText(s, ""))[32], "Key to cancel =300");
    EXPECT_EQ(s.RestartKey, 0);
    // Sizes go back with a full stop whatever the user's locale.
    EXPECT_EQ(SingleText(13.5), "13.5");
    EXPECT_EQ(SingleText(9.75), "9.75");
    EXPECT_EQ(SingleText(12), "12");
}

TEST(SettingsWriter, EveryReaderAcceptsWhatItWrites) {
    TestPlatform t;
    t.Write("front.exe", "MZ");
    Settings written = Sample(t.Path("front.exe"));
    written.BoxColor = 255;
    WriteSettingsFile(written, *t.files, t.clock.text());

    Settings read;
    EXPECT_EQ(ReadSettingsForSetup(read, t.app.logs(), *t.files, t.ui), SetupReadResult::Accepted);
    EXPECT_EQ(read.ProgramPath, written.ProgramPath);
    EXPECT_EQ(read.CancelKey, -1);
    EXPECT_EQ(read.RestartKey, 13);
    EXPECT_EQ(read.BoxX, -30);
    EXPECT_EQ(read.BoxFontSize, "13.5");
    EXPECT_TRUE(read.BoxItalic);

    t.app.Start();  // the run window launches it, the shutdown screen counts it complete
    ASSERT_EQ(t.processes.starts().size(), 1u);
    ASSERT_NE(t.app.shutdownScreen(), nullptr);
    EXPECT_TRUE(t.app.shutdownScreen()->IsOpen());
    EXPECT_EQ(t.app.shutdownScreen()->BoxY, 1200);
    EXPECT_TRUE(t.ui.messageBoxes().empty());
}

}  // namespace
}  // namespace tamrel::test
