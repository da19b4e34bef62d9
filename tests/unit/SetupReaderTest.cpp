#include <filesystem>
#include <fstream>
#include <tuple>

#include "TestPlatform.h"
#include "settings/SettingsFile.h"
#include "settings/SetupReader.h"

namespace tamrel::test {
namespace {

TEST(SettingsLines, EveryLineEndIsALineEnd) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(SplitLines("\n\r"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_TRUE(IsKeyLine("KEY TO CANCEL =13", "key to cancel ="));
    EXPECT_FALSE(IsKeyLine(" Key to cancel = 13", "key to cancel ="));
    EXPECT_FALSE(IsKeyLine("Key to cancel= 13", "key to cancel ="));
    EXPECT_FALSE(IsKeyLine("Key to cancel", "key to cancel ="));
    EXPECT_EQ(KeyValue("Program = C:\\x.exe", "program ="), " C:\\x.exe");
    EXPECT_EQ(KeyValue("Program =", "program ="), "");
}

class SetupReader : public PlatformTest {
protected:
    SetupReadResult Read() { return ReadSettingsForSetup(state, t.app.logs(), *t.files, t.ui); }
    // A complete file that names this folder's program, with these lines replaced.
    SetupReadResult Read(const Lines& overrides) {
        t.WriteLaunchable(overrides);
        return Read();
    }
    Settings state;
};

TEST_F(SetupReader, ACompleteFileFillsEveryFieldAndLogsEachLine) {
    ASSERT_EQ(Read({"Shutdown method =2", "Seconds to cancel =7", "Key to cancel =-1", "Key to re-start =13",
                    "Countdown box X position =-30", "Countdown box Y position = 1200",
                    "Countdown box font =  Comic Sans MS ", "Countdown box fontsize =13.5",
                    "Countdown box bold font =True", "Countdown box italic = TRUE", "Countdown box color = 65280",
                    "Skin =C:\\skins\\cab.bmp"}),
              SetupReadResult::Accepted);
    // Any colour the colour dialog gives survives the next setup.
    EXPECT_EQ(std::tie(state.shutdownMethod, state.cancelSeconds, state.cancelKey, state.restartKey, state.boxTop,
                       state.boxLeft, state.boxItalic, state.boxColor),
              std::make_tuple(2, 7, -1, 13, -30, 1200, true, 65280));
    EXPECT_EQ((Lines{state.programPath, state.boxFontName, state.boxFontSize, state.boxBold, state.skinPath}),
              (Lines{t.Path("front.exe"), "Comic Sans MS", "13.5", "True", "C:\\skins\\cab.bmp"}));
    Lines expected;
    for (const std::string& line : t.KeyLines()) {
        if (line.rfind("Key to re-start", 0) == 0) expected.push_back("In Tamrel.set, " + line);
        expected.push_back("In tamrel.set, " + line);
    }
    EXPECT_EQ(t.Events(), expected);
    EXPECT_TRUE(t.ui.messageBoxes().empty());
}

// (Each number's range at both edges: SettingsBounds.)
TEST_F(SetupReader, UnusableValuesAreReplaced) {
    ASSERT_EQ(Read({"Key to cancel = 0", "Countdown box font =", "Countdown box fontsize = -2",
                    "Countdown box bold font = ", "Skin =C:\\skins\\cab.BMP"}),
              SetupReadResult::Accepted);
    EXPECT_EQ(state.cancelKey, 27);
    EXPECT_EQ((Lines{state.boxFontName, state.boxFontSize, state.boxBold, state.skinPath}),
              (Lines{"arial", "10", "False", ""}));
    EXPECT_TRUE(t.Logged("The number for key to cancel in tamrel.set is out of range. Using default of 27 (Escape)."));
}

TEST_F(SetupReader, TheReStartKeyIsComparedWithTheCancelKeyReadSoFar) {
    ASSERT_EQ(Read({"Key to cancel =27", "Key to re-start =27"}), SetupReadResult::Accepted);
    EXPECT_EQ(state.restartKey, 0);
    EXPECT_TRUE(t.Logged("The number for key to re start in tamrel.set is the same as the cancel key. Using "
                         "default of 0 (None)."));

    // Re-start line first: compared with the cancel key's start value.
    state = Settings();
    Lines lines = SettingsLines({"-Key to re-start ="});
    lines.insert(lines.begin(), "Key to re-start =27");
    t.WriteSettings(lines);
    ASSERT_EQ(Read(), SetupReadResult::Accepted);
    EXPECT_EQ(state.restartKey, 27);
}

TEST_F(SetupReader, LinesAreCountedNotKeysAndOddFilesAreAcceptedAsTheyAre) {
    Lines lines = SettingsLines({"-Countdown box font =", "Countdown box color = 5"});
    lines.push_back("Countdown box color = 7");  // a repeat makes up for the missing key
    t.WriteSettings(lines);
    ASSERT_EQ(Read(), SetupReadResult::Accepted);
    EXPECT_EQ(state.boxColor, 7);
    EXPECT_EQ(state.boxFontName, "");  // keeps its start value

    // A missing program and unknown lines, silently.
    std::filesystem::create_directory(t.Path("games"));
    lines = SettingsLines({"Program =" + t.Path("games")});
    lines.insert(lines.end(), {"", "something else"});
    t.WriteSettings(lines);
    ASSERT_EQ(Read(), SetupReadResult::Accepted);
    EXPECT_EQ(state.programPath, t.folder());
    EXPECT_EQ(t.LastEvents(2), (Lines{"In tamrel.set, ", "In tamrel.set, something else"}));

    // The previous version's file, without the re-start key; line feeds only, as any Linux editor writes.
    ASSERT_EQ(Read({"-Key to re-start ="}), SetupReadResult::Accepted);
    std::string text;
    for (const std::string& line : SettingsLines({"Seconds to cancel =15"})) text += line + "\n";
    t.Write("tamrel.set", text);
    ASSERT_EQ(Read(), SetupReadResult::Accepted);
    EXPECT_EQ(state.cancelSeconds, 15);
}

TEST_F(SetupReader, AnIncompleteFileIsKeptAsBadThenRemoved) {
    t.ui.QueueAnswer(ui::kAnswerOk);
    t.WriteLaunchable({"-Skin ="});  // 13 key lines, re-start line present
    const std::string original = t.Read("tamrel.set");
    ASSERT_EQ(Read(), SetupReadResult::Corrupt);
    EXPECT_FALSE(t.Exists("tamrel.set"));
    EXPECT_EQ(t.Read("tamrel.bad"), original);
    ASSERT_EQ(t.ui.messageBoxes().size(), 1u);
    EXPECT_EQ(t.Box().prompt,
              "There is something wrong in the tamrel.set file. Keeping it as tamrel.bad. Setup will run next "
              "time you start The tamrel.");
    EXPECT_EQ(t.Box().title, "tamrel");
    EXPECT_EQ(t.LastEvents(3), (Lines{"The tamrel.set file is corrupt!! Moving tamrel.set aside, kept as tamrel.bad!",
                           "The damaged file was kept as tamrel.bad.", "Tamrel ended."}));
    EXPECT_EQ(t.Errors(), Lines{" --The tamrel.set file is corrupt! Moving tamrel.set aside, kept as tamrel.bad."});

    // An empty file counts 1 and is corrupt too; an older tamrel.bad is replaced.
    t.ui.QueueAnswer(ui::kAnswerOk);
    t.WriteSettings({});
    ASSERT_EQ(Read(), SetupReadResult::Corrupt);
    EXPECT_EQ(t.Read("tamrel.bad"), "");
}

TEST_F(SetupReader, AFileFarTooLargeIsMovedAsideUnread) {
    // Sparse: a gigabyte that takes no room on the disk.
    {
        std::ofstream file(t.Path("tamrel.set"), std::ios::binary);
        file << "Run Setup = no\r\n";
        file.seekp((1 << 30) - 1);
        file.put('x');
    }
    t.ui.QueueAnswer(ui::kAnswerOk);
    ASSERT_EQ(Read(), SetupReadResult::Corrupt);
    EXPECT_FALSE(t.Exists("tamrel.set"));
    EXPECT_EQ(std::filesystem::file_size(t.Path("tamrel.bad")), 1u << 30);
    EXPECT_EQ(t.ui.messageBoxes().size(), 1u);
}

TEST_F(SetupReader, AValueThatDoesNotConvertStopsTheReading) {
    const RuntimeError overflow = ErrorOf([&] { Read({"Seconds to cancel = 99999"}); });
    EXPECT_EQ(overflow.Number(), error::kOverflow);
    EXPECT_EQ(overflow.Description(), "Overflow: Seconds to cancel = 99999");
    EXPECT_EQ(ErrorOf([&] { Read({"Countdown box italic ="}); }).Description(), "Type mismatch: Countdown box italic =");
    EXPECT_THROW(Read({"Countdown box color = 3000000000"}), RuntimeError);
    EXPECT_TRUE(t.Exists("tamrel.set"));  // nothing deleted
}

}  // namespace
}  // namespace tamrel::test
