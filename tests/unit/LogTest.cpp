#include <gtest/gtest.h>

#include "TestPlatform.h"

namespace tamrel::test {
namespace {

using Lines = std::vector<std::string>;

TEST(EventLog, FirstCallOfARunStartsAFreshFileThenLinesAreAppendedUnchanged) {
    TestPlatform t;
    t.clock.Set("06/12/2026 20:05:52");
    t.Write("talog1.txt", "an older run\r\n");
    Logs& logs = t.app.logs();
    logs.StartRun();
    logs.Log("Tamrel started.");
    logs.Log("");
    logs.Log("  Mixed Case, kept  ");
    EXPECT_EQ(t.Events(), (Lines{"Tamrel started.", "", "  Mixed Case, kept  "}));
    EXPECT_EQ(t.Read("talog2.txt"), "an older run\r\n");
}

TEST(EventLog, EachRunShiftsTheGenerationsOldestFirst) {
    TestPlatform t;
    Logs& logs = t.app.logs();
    for (const char* run : {"run 1", "run 2", "run 3", "run 4"}) {
        logs.StartRun();
        logs.Log(run);
        logs.Log("more of " + std::string(run));  // never rotates again
    }
    EXPECT_NE(t.Read("talog1.txt").find("--- run 4\r\n"), std::string::npos);
    EXPECT_NE(t.Read("talog2.txt").find("--- run 3\r\n"), std::string::npos);
    EXPECT_NE(t.Read("talog3.txt").find("--- run 2\r\n"), std::string::npos);
    EXPECT_NE(t.Read("talog1.txt").find("--- more of run 4\r\n"), std::string::npos);

    // A gap in the generations: only 1 and 3 exist.
    TestPlatform gap;
    gap.Write("talog1.txt", "one");
    gap.Write("talog3.txt", "three");
    gap.app.logs().StartRun();
    gap.app.logs().Log("new");
    EXPECT_EQ(gap.Read("talog2.txt"), "one");
    EXPECT_FALSE(gap.Exists("talog3.txt"));
}

TEST(ErrorLog, EntriesFollowTheStampDirectlyAndTheFileOnlyGrows) {
    TestPlatform t;
    t.clock.Set("D T");
    t.Write("tamrel.txt", "old entry\r\n");
    t.app.logs().AppendErrorLog("--Tamrel.set not found!");
    t.app.logs().AppendErrorLog(" --second");
    EXPECT_EQ(t.Read("tamrel.txt"), "old entry\r\nD T--Tamrel.set not found!\r\nD T --second\r\n");
}

TEST(EventLog, ARotationThatFailsNamesTheFileInTheWay) {
    TestPlatform t;
    t.Write("talog1.txt", "one");
    std::filesystem::create_directory(t.Path("talog2.txt"));
    t.app.logs().StartRun();
    const std::string why = ErrorOf([&] { t.app.logs().Log("x"); }).Description();
    EXPECT_NE(why.find(t.Path("talog2.txt")), std::string::npos) << why;
}

TEST(ErrorLog, AHugeValueIsCutInEveryLine) {
    TestPlatform t;
    t.WriteSettings({"Run Setup = no", "Program =" + std::string(900'000, 'x')});
    t.ui.QueueAnswer(ui::kAnswerCancel);
    t.ui.QueueAnswer(ui::kAnswerOk);
    t.app.Start();
    const std::vector<std::string> errors = t.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], ("--Problem with program or its path: Program =" + std::string(1000, 'x')).substr(0, 1000) + "...");
    EXPECT_LT(t.Read("talog1.txt").size(), 5000u);
}

TEST(ErrorLog, TheLastWordsOfARunAreDroppedWhenTheyCannotBeWritten) {
    TestPlatform t;
    // A folder in the way of the log file makes every write fail.
    std::filesystem::create_directory(t.Path("talog1.txt"));
    std::filesystem::create_directory(t.Path("tamrel.txt"));
    EXPECT_THROW(t.app.logs().Log("x"), RuntimeError);
    EXPECT_NO_THROW(t.app.logs().TryLog("x"));
    EXPECT_NO_THROW(t.app.logs().TryAppendErrorLog("x"));
}

}  // namespace
}  // namespace tamrel::test
