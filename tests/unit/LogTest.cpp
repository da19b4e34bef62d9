#include "TestPlatform.h"

namespace tamrel::test {
namespace {

using LogFiles = PlatformTest;

TEST_F(LogFiles, TheFirstEventOfARunStartsAFreshFileAndTheErrorLogOnlyGrows) {
    t.clock.Set("D T");
    t.Write("talog1.txt", "an older run\r\n");
    t.Write("tamrel.txt", "old entry\r\n");
    Logs& logs = t.app.logs();
    logs.StartRun();
    for (const char* line : {"Tamrel started.", "", "  Mixed Case, kept  "}) logs.Log(line);
    EXPECT_EQ(t.Events(), (Lines{"Tamrel started.", "", "  Mixed Case, kept  "}));
    EXPECT_EQ(t.Read("talog2.txt"), "an older run\r\n");
    logs.AppendErrorLog("--Tamrel.set not found!");
    logs.AppendErrorLog(" --second");
    EXPECT_EQ(t.Read("tamrel.txt"), "old entry\r\nD T--Tamrel.set not found!\r\nD T --second\r\n");
}

TEST_F(LogFiles, EachRunShiftsTheGenerationsOldestFirst) {
    for (const std::string run : {"run 1", "run 2", "run 3", "run 4"}) {
        t.app.logs().StartRun();
        t.app.logs().Log(run);
        t.app.logs().Log("more of " + run);  // never rotates again
    }
    for (const auto& [file, line] : {std::pair<const char*, const char*>{"talog1.txt", "run 4"}, {"talog1.txt", "more of run 4"},
                                     {"talog2.txt", "run 3"}, {"talog3.txt", "run 2"}}) {
        EXPECT_NE(t.Read(file).find(std::string("--- ") + line + "\r\n"), std::string::npos) << file << line;
    }

    // A gap in the generations: only 1 and 3 exist.
    TestPlatform gap;
    gap.Write("talog1.txt", "one");
    gap.Write("talog3.txt", "three");
    gap.app.logs().StartRun();
    gap.app.logs().Log("new");
    EXPECT_EQ(gap.Read("talog2.txt"), "one");
    EXPECT_FALSE(gap.Exists("talog3.txt"));
}

TEST_F(LogFiles, FailedWritesNameTheFileInTheWayAndTheLastWordsOfARunAreDropped) {
    t.Write("talog1.txt", "one");
    std::filesystem::create_directory(t.Path("talog2.txt"));
    t.app.logs().StartRun();
    const std::string why = ErrorOf([&] { t.app.logs().Log("x"); }).Description();
    EXPECT_NE(why.find(t.Path("talog2.txt")), std::string::npos) << why;
    EXPECT_EQ(t.Read("talog1.txt"), "one");

    // With a folder in the way of the error log its last words are dropped.
    std::filesystem::create_directory(t.Path("tamrel.txt"));
    EXPECT_NO_THROW(t.app.logs().TryAppendErrorLog("x"));
}

TEST_F(LogFiles, AHugeValueIsCutInEveryLine) {
    t.WriteSettings({"Run Setup = no", "Program =" + std::string(900'000, 'x')});
    t.Start({ui::kAnswerCancel, ui::kAnswerOk});
    EXPECT_EQ(t.Errors(), Lines{("--Problem with program or its path: Program =" + std::string(1000, 'x')).substr(0, 1000) + "..."});
    EXPECT_LT(t.Read("talog1.txt").size(), 5000u);
}

}  // namespace
}  // namespace tamrel::test
