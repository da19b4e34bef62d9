// A machine nobody watches: a front end that fails at once must not power
// it off at every start, the log tells how each run ended, and a shutdown
// that another program holds up waits for it.

#include <tuple>

#include "SetupTestSupport.h"
#include "settings/Text.h"

namespace tamrel::test {
namespace {

// A whole run of a program that ends as told, then the screen comes up.
void RunProgram(TestPlatform& t, const Lines& overrides, ProgramEnd end) {
    Lines all = {"Shutdown method =2", "Seconds to cancel =5"};
    all.insert(all.end(), overrides.begin(), overrides.end());
    t.WriteLaunchable(all);
    t.processes.EndProgramWith(end);
    t.app.Start();
}

TEST(Unattended, AProgramThatEndsTooSoonLeavesTheMachineOn) {
    TestPlatform t;
    RunProgram(t, {"Shortest run in seconds =10", "Key to re-start =32"}, {0, ProgramEnd::How::Exited, 1, 1.2});
    ASSERT_TRUE(t.Open("ShutdownScreen"));
    const std::string why =
        "front.exe ended after 1 second, sooner than the 10 seconds a normal run takes. The machine stays on.";
    EXPECT_TRUE(t.Screen("notice").Visible());
    EXPECT_EQ(t.Screen("notice").Text(), why);
    EXPECT_FALSE(t.Screen("defaultNumber").Visible());
    EXPECT_TRUE(t.Logged(why));
    EXPECT_EQ(t.Errors(), Lines{" --" + why});
    t.ui.Advance(60000);
    EXPECT_TRUE(t.power.requests().empty());
    // The re-start key runs the program again, to be timed anew.
    t.ui.PressKey("ShutdownScreen", 32);
    EXPECT_EQ(t.processes.restarts().size(), 1u);
    EXPECT_FALSE(t.app.HasOpenWindows());
}

TEST(Unattended, TheCheckCountsOnlyWhereAShutdownWouldFollow) {
    const std::tuple<std::string, double, bool> cases[] = {
        {"-Shortest run in seconds =", 0.5, true},       // a file without the line: off
        {"Shortest run in seconds =0", 0.5, true},       // off
        {"Shortest run in seconds =10", 10, true},       // as long as a normal run
        {"Shortest run in seconds =10", 9.9, false},     // sooner
    };
    for (const auto& [line, seconds, powersOff] : cases) {
        TestPlatform run;
        run.ui.SetDefaultAnswer(ui::kAnswerOk);
        RunProgram(run, {line}, {0, ProgramEnd::How::Exited, 0, seconds});
        run.ui.Advance(10000);
        EXPECT_EQ(run.power.requests().size(), powersOff ? 1u : 0u) << line;
    }
}

TEST(Unattended, TheFailedRunIsNeverRoundedUpToTheLimitItMissed) {
    const std::tuple<std::string, double, std::string> cases[] = {
        {"2", 1.6, "1.6 seconds"},
        {"2", 1.4, "1 second"},
        {"2", 1.99, "1.9 seconds"},
        {"10", 9.5, "9.5 seconds"},
        {"10", 0.2, "0 seconds"},
        {"60", 59.7, "59.7 seconds"},
        {"120", 119.6, "less than 120 seconds"},
        {"120", 100, "1 min 40 s"},
        {"3600", 3599.9, "less than 3600 seconds"},
    };
    for (const auto& [limit, seconds, said] : cases) {
        TestPlatform t;
        RunProgram(t, {"Shortest run in seconds =" + limit}, {0, ProgramEnd::How::Exited, 0, seconds});
        EXPECT_EQ(t.Screen("notice").Text(),
                  "front.exe ended after " + said + ", sooner than the " + limit +
                      " seconds a normal run takes. The machine stays on.");
    }
}

TEST(Unattended, AFailedRunIsLoggedEvenWhereNothingShutsDown) {
    const std::string why =
        "front.exe ended after 1 second, sooner than the 10 seconds a normal run takes. The machine stays on.";
    for (const double seconds : {1.0, 12.0}) {
        TestPlatform t;
        RunProgram(t, {"Shutdown method =0", "Shortest run in seconds =10"}, {0, ProgramEnd::How::Exited, 0, seconds});
        EXPECT_FALSE(t.app.HasOpenWindows());
        EXPECT_EQ(t.Logged(why), seconds < 10 ? 1 : 0);
        EXPECT_EQ(t.Errors(), seconds < 10 ? Lines{" --" + why} : Lines{});
        EXPECT_EQ(t.Logged("In Tamrel.set, Countdown box font =arial"), 0);  // the rest is still not read
    }
}

TEST(Unattended, HowTheProgramEndedIsLogged) {
    EXPECT_EQ(DurationText(44.6), "45 seconds");
    const std::pair<ProgramEnd, std::string> ends[] = {
        {{0, ProgramEnd::How::Exited, 0, 8040}, "Program ended with exit status 0 after 2 h 14 min."},
        {{0, ProgramEnd::How::Signalled, 9, 2}, "Program ended by signal 9 after 2 seconds."},
        {{0, ProgramEnd::How::Exited, 0xC0000005, 0}, "Program ended with exit status 0xC0000005 after 0 seconds."},
        {{0, ProgramEnd::How::Unknown, 0, 61}, "Program ended after 1 min 1 s."},
    };
    for (const auto& [end, line] : ends) {
        TestPlatform run;
        RunProgram(run, {}, end);
        EXPECT_EQ(run.Logged(line), 1) << line;  // its place in the log: RunSequence
    }
}

TEST(Unattended, AShutdownHeldUpByAnotherProgramWaitsForIt) {
    TestPlatform t;
    RunProgram(t, {}, {0, ProgramEnd::How::Exited, 0, 3600});
    t.power.SetBlockers({{"backup", "Copying the high scores"}, {"apt", "Upgrading"}});
    t.ui.Advance(5000);
    EXPECT_TRUE(t.power.requests().empty());
    EXPECT_EQ(t.Screen("notice").Text(), "Waiting for backup: Copying the high scores\nWaiting for apt: Upgrading");
    t.ui.Advance(3000);  // asked again every second, each holder logged once
    EXPECT_EQ(t.Logged("Waiting for backup: Copying the high scores"), 1);
    EXPECT_EQ(t.Logged("Waiting for apt: Upgrading"), 1);
    EXPECT_FALSE(t.Logged("Shutting down PC, using shutdown method 2"));

    t.power.SetBlockers({});
    t.ui.Advance(1000);
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::PowerOff});
    EXPECT_TRUE(t.Logged("Nothing holds up the shutdown any longer."));
    EXPECT_EQ(t.Screen("notice").Text(), "Nothing holds up the shutdown any longer.");

    // The cancel key still works while it waits.
    TestPlatform held;
    RunProgram(held, {}, {0, ProgramEnd::How::Exited, 0, 3600});
    held.power.SetBlockers({{"backup", "Saving"}});
    held.ui.Advance(7000);
    held.ui.PressKey("ShutdownScreen", 27);
    EXPECT_FALSE(held.app.HasOpenWindows());
    EXPECT_TRUE(held.power.requests().empty());
}

// A file from before the check gets it on; the menu turns it off. (A value
// kept or refused: SetupHandEdited, SettingsBounds.)
TEST(Unattended, SetupShowsAndWritesTheShortestRun) {
    TestPlatform p;
    p.WriteLaunchable({"-Shortest run in seconds ="});
    p.app.ShowSetup();
    EXPECT_EQ(p.ui.FindWindow("SetupWindow")->MenuCaption(setup::kShortestRun10), ">10 Seconds");
    ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", setup::kShortestRunOff));
    EXPECT_EQ(p.ui.FindWindow("SetupWindow")->MenuCaption(setup::kShortestRunOff), ">Off");
    p.ui.ChooseMenu("SetupWindow", setup::kDone);
    EXPECT_EQ(p.KeyLines().at(14), "Shortest run in seconds =0");
}

}  // namespace
}  // namespace tamrel::test
