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
        EXPECT_EQ(t.ui.ControlOf("ShutdownScreen", "notice").Text(), refusal ? line : "");
        EXPECT_EQ(t.ui.ControlOf("ShutdownScreen", "defaultNumber").Visible(), !refusal) << line;
        EXPECT_EQ(t.power.requests().size(), 1u) << line;
        EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 27), 0) << line;
        EXPECT_EQ(t.LastEvents(2), (Lines{"User canceled shutdown at 0 seconds.", "Tamrel ended."})) << line;
    }
}

TEST(PowerAnswer, AStopRequestOnceTheSystemAcceptedIsItGoingDown) {
    // An acceptance not yet polled counts too.
    const std::tuple<bool, int, Lines> cases[] = {
        {false, 0, {"tamrel ended.", "The system is shutting down."}},
        {false, 1, {"tamrel ended.", "The system is shutting down."}},
        {true, 0, {"Tamrel was asked to stop (signal 1) at 0 seconds.", "Tamrel ended."}},
        {false, kNever, {"Tamrel was asked to stop (signal 1) at 0 seconds.", "Tamrel ended."}},
    };
    for (const auto& [refused, polls, lines] : cases) {
        TestPlatform t;
        if (refused) t.power.Refuse("no");
        t.power.AnswerAfter(polls);
        t.ShowScreen();
        t.ui.Advance(10000);
        t.ui.RequestStop(1);
        EXPECT_FALSE(t.app.HasOpenWindows());
        EXPECT_EQ(t.LastEvents(2), lines);
    }
}

TEST(PowerAnswer, AListOfHoldersThatNeverComesIsAskedForOnceAndHoldsUpNeitherTheKeysNorTheShutdown) {
    TestPlatform t;
    t.power.ListAfter(kNever);
    t.power.SetBlockers({{"backup", "Saving"}});
    t.ShowScreen({"Key to re-start = 32"});
    t.ui.Advance(10000 + kLimitMs - kReplyPollMs);
    EXPECT_EQ(t.power.blockerQuestions(), 1);
    EXPECT_TRUE(t.power.requests().empty());
    t.ui.Advance(kReplyPollMs);
    EXPECT_EQ(t.power.requests().size(), 1u);

    TestPlatform waiting;
    waiting.power.ListAfter(kNever);
    waiting.ShowScreen({"Key to re-start = 32"});
    waiting.ui.Advance(10500);
    EXPECT_EQ(waiting.ui.PressKey("ShutdownScreen", 32), 0);
    EXPECT_EQ(waiting.processes.restarts().size(), 1u);
}

TEST(PowerAnswer, HoldersAreShownAsFarAsTheyFitWithTheirTextsEscaped) {
    std::vector<Blocker> many;
    std::vector<std::string> lines;
    for (int i = 1; i <= 8; ++i) {
        many.push_back({"app" + std::to_string(i), i == 1 ? std::string(60, 'w') : "why"});
        lines.push_back("Waiting for app" + std::to_string(i) + ": " + many.back().why);
    }
    const auto joined = [&](std::size_t first, std::size_t end) {
        std::string text = lines[first];
        for (std::size_t i = first + 1; i < end; ++i) text += "\n" + lines[i];
        return text;
    };
    // Seven rows; the first why is long enough for two.
    const std::pair<std::vector<Blocker>, std::string> cases[] = {
        {{many.begin() + 1, many.end()}, joined(1, 8)},
        {many, joined(0, 5) + "\nand 3 more"},
        {{{"x\r\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds.", "\a\x1b[2J\t"}},
         "Waiting for x\\r\\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds.: \\x07\\x1B[2J\\t"},
    };
    for (const auto& [list, text] : cases) {
        TestPlatform t;
        t.power.SetBlockers(list);
        t.ShowScreen();
        t.ui.Advance(10000);
        EXPECT_EQ(t.ui.ControlOf("ShutdownScreen", "notice").Text(), text);
        // Each holder is logged; a forged line stays one line.
        EXPECT_EQ(t.LastEvents(1), Lines{list.size() == 1 ? text : lines.back()});
    }
}

}  // namespace
}  // namespace tamrel::test
