// The checker reads as each reader reads: one file per rule in which the
// readers differ, with what each does and the status.

#include <fstream>

#include "TestPlatform.h"
#include "run/SettingsCheck.h"

namespace tamrel::test {
namespace {

struct CheckCase {
    Lines overrides;  // on a complete file launching this folder's front.exe
    Lines findings;   // what each finding says, in order
    int status;
};

Lines Said(const CheckReport& report) {
    Lines said;
    for (const Finding& finding : report.findings) said.push_back(finding.what);
    return said;
}

TEST_F(PlatformTest, TheCheckerTellsWhatEachReaderDoesWithABadFile) {
    t.Write("plain", "no program\n");
    const CheckCase cases[] = {
        {{}, {}, kCheckGood},
        {{"Run Setup = yes"}, {"the start-up opens setup instead of the program"}, kCheckGood},
        {{"Program =" + t.Path("gone")}, {"does not exist: the start-up stops"}, kCheckUnusable},
        {{"Program =" + t.Path("plain")}, {"cannot run: the start-up stops"}, kCheckUnusable},
        {{"Program =" + TestProgram()}, {"is Tamrel itself: the start-up stops"}, kCheckUnusable},
        {{"-Program ="}, {"incomplete, no \"Program =\" line: the start-up stops",
                          "incomplete, no \"Program =\" line: setup stops"}, kCheckUnusable},
        // The screen and setup replace a bad cancel key each its own way.
        {{"Key to cancel =300"}, {"out of range: the screen uses 13", "out of range: setup uses 27"}, kCheckReplaced},
        {{"Seconds to cancel = 30"}, {"out of range: the screen uses 10", "out of range: setup uses 10"}, kCheckReplaced},
        {{"Key to re-start =27"}, {"the same as the cancel key: the screen uses 0", "the same as the cancel key: setup uses 0"},
         kCheckReplaced},
        {{"Skin =cab.png"}, {"not a .bmp file: the screen shows no skin", "not a .bmp file: setup uses the default look"},
         kCheckReplaced},
        {{"Skin =" + t.Path("gone.bmp")}, {"does not exist: the screen stops"}, kCheckUnusable},
        {{"Countdown box X position =99999"},
         {"cannot be read (Overflow): the screen stops", "cannot be read (Overflow): setup uses 0"}, kCheckUnusable},
        // Without a method the screen reads no further, and the wait has no idle limit.
        {{"Shutdown method =0", "Seconds to cancel =3", "Idle minutes to power off =zz"},
         {"out of range: setup uses 10", "cannot be read: setup uses 0"}, kCheckReplaced},
        {{"Idle minutes to power off =2000", "Power off at =25:00"},
         {"out of range: the start-up uses 0", "cannot be read: the start-up uses none", "out of range: setup uses 0",
          "cannot be read: setup uses none"}, kCheckReplaced},
        {{"-Key to cancel ="}, {"incomplete, no \"Key to cancel =\" line: the screen stops",
                                "incomplete, no \"Key to cancel =\" line: setup stops"}, kCheckUnusable},
        {{"-Key to re-start ="}, {"an older file, without \"Key to re-start =\": the screen uses none"}, kCheckReplaced},
    };
    for (const CheckCase& c : cases) {
        t.WriteLaunchable(c.overrides);
        const CheckReport report = CheckSettings(*t.files, "");
        EXPECT_EQ(Said(report), c.findings) << (c.overrides.empty() ? "" : c.overrides[0]);
        EXPECT_EQ(report.status, c.status) << (c.overrides.empty() ? "" : c.overrides[0]);
    }

    // A finding names its line, key and value; the text and JSON tell them.
    t.WriteLaunchable({"Seconds to cancel = 30"});
    const std::string other = t.Path("other.set");
    std::filesystem::rename(t.Path("tamrel.set"), other);
    const CheckReport report = CheckSettings(*t.files, other);
    ASSERT_EQ(report.findings.size(), 2u);
    const Finding& screen = report.findings[0];
    EXPECT_EQ(t.KeyLines().size(), 0u);  // the file named, not the folder's
    EXPECT_EQ(std::tie(screen.key, screen.value, screen.reader), std::make_tuple("Seconds to cancel =", "30", "screen"));
    EXPECT_EQ(CrLfLines(t.Read("other.set")).at(screen.line - 1), "Seconds to cancel = 30");
    const std::string text = CheckText(report);
    EXPECT_NE(text.find("line " + std::to_string(screen.line) + ": Seconds to cancel = 30: out of range: the screen uses 10\n"),
              std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("status 1: usable, with values replaced\n")) << text;
    EXPECT_NE(CheckJson(report).find("{\"line\": " + std::to_string(screen.line) +
                                     ", \"key\": \"Seconds to cancel =\", \"value\": \"30\", \"reader\": \"screen\", "
                                     "\"finding\": \"out of range: the screen uses 10\", \"status\": 1}"),
              std::string::npos);

    // A file no reader can use, and nothing written for any of them.
    const std::pair<std::string, std::string> unusable[] = {
        {t.Path("none.set"), "missing: every reader stops, the start-up offers setup"},
        {t.folder(), "a folder, not a settings file: every reader stops"},
    };
    for (const auto& [path, said] : unusable) {
        EXPECT_EQ(Said(CheckSettings(*t.files, path)), Lines{said});
    }
    std::ofstream(t.Path("huge.set")) << std::string(2 << 20, '#');
    EXPECT_EQ(CheckSettings(*t.files, t.Path("huge.set")).status, kCheckUnusable);
    EXPECT_FALSE(t.Exists("talog1.txt"));
    EXPECT_FALSE(t.Exists("tamrel.bad"));
    EXPECT_TRUE(t.ui.messageBoxes().empty());
}

}  // namespace
}  // namespace tamrel::test
