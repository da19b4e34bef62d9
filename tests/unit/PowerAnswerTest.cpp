// What the system answers at 0, and when: what the user then sees and the
// logs keep, while the keys work all the while.

#include "TestPlatform.h"
#include "shutdown/AwaitedReply.h"

namespace tamrel::test {
namespace {

constexpr int kNever = headless::HeadlessPower::kNever;
constexpr int kLimitMs = kReplyLimitSeconds * 1000;

TEST(PowerAnswer, OnlyAnAcceptedRequestIsLoggedAsAShutdownAndARefusalIsToldOnScreenAndInBothLogs) {
    const std::string stays = " refused, the machine stays on: ";
    const std::tuple<std::string, std::optional<std::string>, int, std::string> cases[] = {
        // method, the refusal (none: accepted), polls until the answer, the last line once answered
        {"2", std::nullopt, 0, "tamrel ended."},
        {"1", std::nullopt, 20, "tamrel ended."},
        {"2", "Interactive authentication required.", 3, "Power-off" + stays + "Interactive authentication required."},
        {"1", "x\r\n12/07/26 03:00:00 --- \a", 0, "Shutdown" + stays + "x\\r\\n12/07/26 03:00:00 --- \\x07"},
        {"2", "", kNever, "Power-off" + stays + "the system did not answer within 5 seconds"},
    };
    for (const auto& [method, refusal, polls, line] : cases) {
        TestPlatform t;
        if (refusal) t.power.Refuse(*refusal);
        t.power.AnswerAfter(polls);
        t.ShowScreen({"Shutdown method =" + method});
        t.ui.Advance(10000);
        EXPECT_EQ(t.Logged(line), polls == 0 ? 1 : 0) << line;  // nothing is said before the answer
        t.ui.Advance(kLimitMs);
        EXPECT_EQ(t.LastEvents(1), Lines{line});
        EXPECT_EQ(t.Logged("Shutting down PC, using shutdown method " + method), refusal ? 0 : 1) << line;
        EXPECT_EQ(t.Errors(), refusal ? Lines{" --" + line} : Lines{});
        EXPECT_EQ(t.Screen("notice").Text(), refusal ? line : "");
        EXPECT_EQ(t.Screen("defaultNumber").Visible(), !refusal) << line;
        EXPECT_EQ(t.power.requests().size(), 1u) << line;
        EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 27), 0) << line;
        EXPECT_EQ(t.LastEvents(2), (Lines{"User canceled shutdown at 0 seconds.", "Tamrel ended."})) << line;
    }
}

TEST(PowerAnswer, AStopRequestOnceTheSystemAcceptedIsItGoingDown) {
    // An acceptance not yet polled counts too; the display going with the
    // system is no failure of Tamrel's either.
    const std::tuple<bool, int, bool, Lines> cases[] = {
        // refused, polls until the answer, the display lost (else a stop request), the last lines
        {false, 0, false, {"tamrel ended.", "The system is shutting down."}},
        {false, 1, false, {"tamrel ended.", "The system is shutting down."}},
        {true, 0, false, {"Tamrel was asked to stop (signal 1) at 0 seconds.", "Tamrel ended."}},
        {false, kNever, false, {"Tamrel was asked to stop (signal 1) at 0 seconds.", "Tamrel ended."}},
        {false, 0, true, {"The system is shutting down."}},
        {true, 0, true, {"Tamrel lost the display: gone"}},
    };
    for (const auto& [refused, polls, displayLost, lines] : cases) {
        TestPlatform t;
        if (refused) t.power.Refuse("no");
        t.power.AnswerAfter(polls);
        t.ShowScreen();
        t.ui.Advance(10000);
        displayLost ? t.ui.LoseDisplay("gone") : t.ui.RequestStop(1);
        EXPECT_TRUE(displayLost || !t.app.HasOpenWindows());
        EXPECT_EQ(t.LastEvents(lines.size()), lines);
    }
}

TEST(PowerAnswer, AListOfHoldersThatNeverComesIsAskedForOnceAndHoldsUpNeitherTheKeysNorTheShutdown) {
    TestPlatform t;
    t.power.ListAfter(kNever);
    t.ShowScreen({"Key to re-start = 32"});
    t.ui.Advance(10000 + kLimitMs - kReplyPollMs);
    EXPECT_EQ(std::make_pair(t.power.blockerQuestions(), t.power.requests().size()), std::make_pair(1, std::size_t{0}));
    t.ui.Advance(kReplyPollMs);
    EXPECT_EQ(t.power.requests().size(), 1u);
    EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 32), 0);
    EXPECT_EQ(t.processes.restarts().size(), 1u);
}

TEST(PowerAnswer, HoldersAreShownAsFarAsTheyFit) {
    // Seven rows; the first why of the eight is long enough for two.
    std::vector<Blocker> eight;
    std::string five, seven;
    for (int i = 1; i <= 8; ++i) {
        eight.push_back({"app" + std::to_string(i), i == 1 ? std::string(60, 'w') : "why"});
        const std::string line = "Waiting for app" + std::to_string(i) + ": " + eight.back().why;
        if (i <= 5) five += (i == 1 ? "" : "\n") + line;
        if (i >= 2) seven += (i == 2 ? "" : "\n") + line;
    }
    for (const auto& [list, text] : {std::pair{eight, five + "\nand 3 more"},
                                     std::pair{std::vector<Blocker>(eight.begin() + 1, eight.end()), seven}}) {
        TestPlatform t;
        t.power.SetBlockers(list);
        t.ShowScreen();
        t.ui.Advance(10000);
        EXPECT_EQ(t.Screen("notice").Text(), text);
    }
}

}  // namespace
}  // namespace tamrel::test
