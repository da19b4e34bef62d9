// What the system answers at 0, when it answers, and what the user then
// sees and the logs keep; the keys work all the while.

#include "TestPlatform.h"
#include "shutdown/AwaitedReply.h"

namespace tamrel::test {
namespace {

constexpr int kPollsPerSecond = 1000 / kReplyPollMs;
constexpr int kLimitMs = kReplyLimitSeconds * 1000;

struct Case {
    std::string method;
    std::optional<std::string> refusal;  // accepted without one
    int polls;                           // until the answer comes, or kNever
    Lines logged;                        // the last event lines once answered
};

TEST(PowerAnswer, OnlyAnAcceptedRequestIsLoggedAsAShutdownAndARefusalIsToldOnScreenAndInBothLogs) {
    const std::string stays = " refused, the machine stays on: ";
    const Case cases[] = {
        {"2", std::nullopt, 0, {"Shutting down PC, using shutdown method 2", "tamrel ended."}},
        {"1", std::nullopt, kPollsPerSecond, {"Shutting down PC, using shutdown method 1", "tamrel ended."}},
        {"2", "Interactive authentication required.", 0,
         {"Power-off" + stays + "Interactive authentication required."}},
        {"1", "no shutdown right: Not all privileges or groups referenced are assigned to the caller", 3,
         {"Shutdown" + stays + "no shutdown right: Not all privileges or groups referenced are assigned to the caller"}},
        // The system's words cannot forge a log line.
        {"2", "x\r\n12/07/26 03:00:00 --- \a", 0, {"Power-off" + stays + "x\\r\\n12/07/26 03:00:00 --- \\x07"}},
        {"2", "", headless::HeadlessPower::kNever,
         {"Power-off" + stays + "the system did not answer within 5 seconds"}},
    };
    for (const Case& c : cases) {
        const std::string name = c.method + " " + c.refusal.value_or("accepted") + " " + std::to_string(c.polls);
        TestPlatform t;
        if (c.refusal) t.power.Refuse(*c.refusal);
        t.power.AnswerAfter(c.polls);
        t.ShowScreen({"Shutdown method =" + c.method, "Seconds to cancel = 5"});
        t.ui.Advance(5000);
        EXPECT_EQ(t.power.requests().size(), 1u) << name;
        // Nothing is said before the answer.
        if (c.polls != 0) {
            EXPECT_EQ(t.Logged(c.logged[0]), 0) << name;
        }
        t.ui.Advance(c.polls == headless::HeadlessPower::kNever ? kLimitMs : 1000);
        EXPECT_EQ(t.LastEvents(c.logged.size()), c.logged) << name;
        ui::Control& notice = t.ui.ControlOf("ShutdownScreen", "notice");
        if (c.refusal) {
            EXPECT_EQ(t.Errors(), Lines{" --" + c.logged[0]}) << name;
            EXPECT_TRUE(notice.Visible()) << name;
            EXPECT_EQ(notice.Text(), c.logged[0]) << name;
            EXPECT_FALSE(t.ui.ControlOf("ShutdownScreen", "defaultNumber").Visible()) << name;
        } else {
            EXPECT_EQ(t.Errors(), Lines{}) << name;
            EXPECT_FALSE(notice.Visible()) << name;
        }
        // Asked once, and the keys still work.
        t.ui.Advance(10000);
        EXPECT_EQ(t.power.requests().size(), 1u) << name;
        EXPECT_EQ(t.ui.PressKey("ShutdownScreen", 27), 0) << name;
        EXPECT_EQ(t.LastEvents(2), (Lines{"User canceled shutdown at 0 seconds.", "Tamrel ended."})) << name;
    }
}

TEST(PowerAnswer, AStopRequestAfterAnAcceptedRequestIsTheSystemGoingDown) {
    const std::pair<std::optional<std::string>, Lines> cases[] = {
        {std::nullopt,
         {"Shutting down PC, using shutdown method 2", "tamrel ended.", "The system is shutting down."}},
        {"Interactive authentication required.",
         {"Power-off refused, the machine stays on: Interactive authentication required.",
          "Tamrel was asked to stop (signal 1) at 0 seconds.", "Tamrel ended."}},
    };
    for (const auto& [refusal, lines] : cases) {
        TestPlatform t;
        if (refusal) t.power.Refuse(*refusal);
        t.ShowScreen({"Shutdown method =2", "Seconds to cancel = 5"});
        t.ui.Advance(6000);
        t.ui.RequestStop(1);
        EXPECT_FALSE(t.app.HasOpenWindows());
        EXPECT_EQ(t.LastEvents(3), lines);
    }
    // An acceptance that is in when the stop comes counts, though not yet polled.
    TestPlatform t;
    t.power.AnswerAfter(1);
    t.ShowScreen({"Shutdown method =2", "Seconds to cancel = 5"});
    t.ui.Advance(5000);
    t.ui.RequestStop(15);
    EXPECT_EQ(t.LastEvents(1), Lines{"The system is shutting down."});
}

TEST(PowerAnswer, ASlowSystemNeverHoldsUpTheKeysNorIsAskedTwiceAtOnce) {
    TestPlatform t;
    t.power.ListAfter(headless::HeadlessPower::kNever);
    t.power.SetBlockers({{"backup", "Saving"}});
    t.ShowScreen({"Shutdown method =2", "Seconds to cancel = 5"});
    t.ui.Advance(5000 + kLimitMs - kReplyPollMs);
    EXPECT_EQ(t.power.blockerQuestions(), 1);
    EXPECT_TRUE(t.power.requests().empty());
    // A list that never comes holds nothing up.
    t.ui.Advance(kReplyPollMs);
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::PowerOff});
    EXPECT_EQ(t.ui.ControlOf("ShutdownScreen", "defaultNumber").Text(), "0");

    TestPlatform waiting;
    waiting.power.ListAfter(headless::HeadlessPower::kNever);
    waiting.ShowScreen({"Key to re-start = 32"});
    waiting.ui.Advance(10500);
    EXPECT_EQ(waiting.ui.PressKey("ShutdownScreen", 32), 0);
    EXPECT_FALSE(waiting.app.HasOpenWindows());
    EXPECT_EQ(waiting.processes.restarts().size(), 1u);
}

TEST(PowerAnswer, HoldersAreShownAsFarAsTheyFitWithTheirTextsEscaped) {
    const auto holders = [](int count) {
        std::vector<Blocker> list;
        for (int i = 1; i <= count; ++i) list.push_back({"app" + std::to_string(i), "why"});
        return list;
    };
    const auto shown = [](int first, int last) {
        std::string text;
        for (int i = first; i <= last; ++i) text += (i == first ? "" : "\n") + ("Waiting for app" + std::to_string(i) + ": why");
        return text;
    };
    // The notice holds seven rows; a why too long for one row takes two.
    std::vector<Blocker> wide = holders(7);
    wide[0].why = std::string(60, 'w');
    const std::pair<std::vector<Blocker>, std::string> cases[] = {
        {holders(7), shown(1, 7)},
        {holders(8), shown(1, 6) + "\nand 2 more"},
        {wide, "Waiting for app1: " + wide[0].why + "\n" + shown(2, 5) + "\nand 2 more"},
        {{{"x\r\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds.", "\a\x1b[2J\t"}},
         "Waiting for x\\r\\n12/07/26 03:00:00 --- User canceled shutdown at 3 seconds.: \\x07\\x1B[2J\\t"},
    };
    for (const auto& [list, text] : cases) {
        TestPlatform t;
        t.power.SetBlockers(list);
        t.ShowScreen({"Shutdown method =2", "Seconds to cancel = 5"});
        t.ui.Advance(6000);
        EXPECT_EQ(t.ui.ControlOf("ShutdownScreen", "notice").Text(), text);
        // Every holder is logged, each on a line of its own.
        const Lines last = t.LastEvents(list.size() + 1);
        EXPECT_EQ(last[0].rfind("Waiting for ", 0), std::string::npos) << last[0];
        for (std::size_t i = 1; i <= list.size(); ++i) EXPECT_EQ(last[i].rfind("Waiting for ", 0), 0u) << last[i];
        if (list.size() == 1) {
            EXPECT_EQ(last[1], text);
        }
        EXPECT_TRUE(t.power.requests().empty());
    }
}

}  // namespace
}  // namespace tamrel::test
