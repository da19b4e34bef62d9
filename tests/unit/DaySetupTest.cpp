// Closing time and wake-up in setup: the items beside power off when idle,
// the time entry's three answers, the file's own times kept, and Windows,
// where the firmware wakes the machine.

#include <algorithm>

#include "SetupTestSupport.h"
#include "help/HelpTopics.h"

namespace tamrel::test {
namespace {

using namespace setup;

// The line of that key among the key lines setup wrote.
std::string LineOf(const Lines& keys, const std::string& key) {
    for (const std::string& line : keys) {
        if (line.starts_with(key)) return line;
    }
    return "(none)";
}

// The ids of the options menu from the idle menu to the autostart item.
std::vector<ui::MenuId> AfterIdle(ui::Desktop desktop) {
    const SetupMenuDef& options = SetupMenuItem(desktop, kOptionsMenu);
    std::vector<ui::MenuId> ids;
    for (const SetupMenuDef& item : options.items) {
        if (!ids.empty() || item.id == kIdleMenu) ids.push_back(item.id);
        if (item.id == kAutostart) break;
    }
    return ids;
}

using DaySetupTest = SetupTest;

TEST_F(DaySetupTest, TheTimesFollowIdleAreGreyWithoutAMethodAndTheChosenTimesAreWritten) {
    t.ui.SetDesktop(ui::Desktop::Session);
    Open(SettingsLines({"Program =" + t.Runnable("front.sh"), "Shutdown method =0"}));
    EXPECT_EQ(AfterIdle(ui::Desktop::Session),
              (std::vector<ui::MenuId>{kIdleMenu, kClosingTime, kWakeTime, kAutostart}));
    EXPECT_EQ(Caption(kClosingTime), "Closing time...");
    EXPECT_EQ(Caption(kWakeTime), "Wake-up time...");
    for (const ui::MenuId id : {kClosingTime, kWakeTime}) {
        EXPECT_FALSE(Enabled(id));
        EXPECT_FALSE(Choose(id));
    }
    ASSERT_TRUE(Choose(kShutdown));

    // Without a time the entry suggests one and says there is none.
    t.ui.QueueTimeAnswer(18 * 60 + 5);
    ASSERT_TRUE(Choose(kClosingTime));
    t.ui.QueueTimeAnswer(7 * 60 + 30);
    ASSERT_TRUE(Choose(kWakeTime));
    const auto& asked = t.ui.timeDialogs();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "Closing time");
    EXPECT_EQ(asked[0].start, 18 * 60);
    EXPECT_TRUE(asked[0].prompt.ends_with("Now: none."));
    EXPECT_EQ(asked[1].title, "Wake-up time");
    EXPECT_EQ(asked[1].start, 8 * 60);
    EXPECT_EQ(Caption(kClosingTime), ">Closing time...");
    EXPECT_EQ(Caption(kWakeTime), ">Wake-up time...");

    // Asked again, the entry starts from the time chosen.
    t.ui.QueueTimeAnswer(std::nullopt);
    ASSERT_TRUE(Choose(kClosingTime));
    EXPECT_EQ(asked[2].start, 18 * 60 + 5);
    EXPECT_TRUE(asked[2].prompt.ends_with("Now: 18:05."));
    // Going back to no shutdown greys them and keeps the times.
    ASSERT_TRUE(Choose(kNoShutdown));
    EXPECT_FALSE(Enabled(kClosingTime) || Enabled(kWakeTime));
    ASSERT_TRUE(Choose(kDone));
    EXPECT_EQ(LineOf(t.KeyLines(), "Power off at ="), "Power off at =18:05");
    EXPECT_EQ(LineOf(t.KeyLines(), "Wake up at ="), "Wake up at =07:30");
}

// What the file holds is shown and comes back from "Done!"; Cancel keeps
// it, "None" empties it; a file from before the lines writes them empty.
TEST(DaySetupRoundTrip, TheFilesTimesAreShownAndKeptCancelKeepsAndNoneEmpties) {
    struct Case {
        Lines lines;  // "-..." leaves the line out
        std::optional<ui::TimeAnswer> closing, wake;  // the entry's answer; unset: not opened
        std::string closingWritten, wakeWritten;
        bool closingMarked, wakeMarked;
    };
    const Case cases[] = {
        {{"-Power off at =", "-Wake up at ="}, {}, {}, "", "", false, false},
        {{"Power off at =17:45", "Wake up at =06:00"}, {}, {}, "17:45", "06:00", true, true},
        {{"Power off at =17:45", "Wake up at =06:00"}, std::nullopt, std::nullopt, "17:45", "06:00", true, true},
        {{"Power off at =17:45", "Wake up at =06:00"}, ui::kNoTime, ui::kNoTime, "", "", false, false},
        {{"Power off at =00:00", "Wake up at ="}, 23 * 60 + 59, 0, "23:59", "00:00", true, true},
        {{"Power off at =6pm", "Wake up at =7:3"}, {}, {}, "", "", false, false},
    };
    for (const Case& c : cases) {
        const std::string name = c.lines[0] + " " + c.lines[1];
        TestPlatform p;
        p.ui.SetDesktop(ui::Desktop::Session);
        p.WriteLaunchable({"Shutdown method =2", c.lines[0], c.lines[1]});
        p.app.ShowSetup();
        headless::HeadlessWindow& window = *p.ui.FindWindow("SetupWindow");
        const auto answer = [&](ui::MenuId id, const std::optional<ui::TimeAnswer>& time) {
            if (!time) return;
            p.ui.QueueTimeAnswer(*time);
            ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", id)) << name;
        };
        answer(kClosingTime, c.closing);
        answer(kWakeTime, c.wake);
        EXPECT_EQ(window.MenuCaption(kClosingTime).starts_with(">"), c.closingMarked) << name;
        EXPECT_EQ(window.MenuCaption(kWakeTime).starts_with(">"), c.wakeMarked) << name;
        ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", kDone)) << name;
        EXPECT_EQ(LineOf(p.KeyLines(), "Power off at ="), "Power off at =" + c.closingWritten) << name;
        EXPECT_EQ(LineOf(p.KeyLines(), "Wake up at ="), "Wake up at =" + c.wakeWritten) << name;
    }

    // The entry opens on the file's time.
    TestPlatform p;
    p.WriteLaunchable({"Shutdown method =1", "Power off at =21:15"});
    p.app.ShowSetup();
    p.ui.QueueTimeAnswer(std::nullopt);
    ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", kClosingTime));
    EXPECT_EQ(p.ui.timeDialogs().at(0).start, 21 * 60 + 15);
    EXPECT_TRUE(p.ui.timeDialogs().at(0).prompt.ends_with("Now: 21:15."));
}

// Windows cannot wake the machine: the item stays grey whatever the method,
// the line beside it says what does, and the file's wake-up time is kept.
TEST_F(DaySetupTest, OnWindowsTheWakeUpItemIsGreyWithTheFirmwaresLineAndTheFilesTimeIsKept) {
    t.ui.SetDesktop(ui::Desktop::Windows);
    Open(SettingsLines({"Program =" + t.Runnable("front.sh"), "Shutdown method =2", "Wake up at =06:30"}));
    EXPECT_EQ(AfterIdle(ui::Desktop::Windows),
              (std::vector<ui::MenuId>{kIdleMenu, kClosingTime, kWakeTime, kWakeElsewhere, kAutostart}));
    EXPECT_EQ(Caption(kWakeTime), "Wake-up time...");  // the file's time does nothing here
    const std::string line = Caption(kWakeElsewhere);
    for (const char* said : {"BIOS/UEFI", "\"power on by RTC\""}) EXPECT_NE(line.find(said), std::string::npos) << said;
    for (const ui::MenuId method : {kPowerOff, kNoShutdown, kShutdown}) {
        ASSERT_TRUE(Choose(method));
        EXPECT_FALSE(Enabled(kWakeTime) || Enabled(kWakeElsewhere));
        EXPECT_FALSE(Choose(kWakeTime));
        EXPECT_EQ(Enabled(kClosingTime), method != kNoShutdown);
    }
    t.ui.QueueTimeAnswer(22 * 60);
    ASSERT_TRUE(Choose(kClosingTime));
    ASSERT_TRUE(Choose(kDone));
    EXPECT_EQ(LineOf(t.KeyLines(), "Power off at ="), "Power off at =22:00");
    EXPECT_EQ(LineOf(t.KeyLines(), "Wake up at ="), "Wake up at =06:30");
}

// The topics follow idle's in the Help menu and say what each system counts
// as input and needs to wake the machine.
TEST(DayHelp, TheTopicsFollowIdlesAndSayWhatCountsAsInputAndWhatWakesTheMachineOnEachSystem) {
    const SetupMenuDef& help = SetupMenuItem(ui::Desktop::Session, kHelpMenu);
    const auto idle =
        std::find_if(help.items.begin(), help.items.end(), [](const auto& i) { return i.id == kHelpIdle; });
    ASSERT_LT(idle + 2, help.items.end());
    EXPECT_EQ(idle[1].caption, "Choosing a closing time");
    EXPECT_EQ(idle[1].argument, static_cast<int>(help::Topic::ClosingTime));
    EXPECT_EQ(idle[2].argument, static_cast<int>(help::Topic::WakeTime));

    struct Said {
        ui::Desktop desktop;
        help::Topic topic;
        std::vector<const char*> phrases;
    };
    const std::vector<const char*> input = {"a key, a mouse button, mouse motion, a joystick button",
                                            "a quarter of its range", "Not counted", "drifts",
                                            "Idle minutes to power off =", "1440"};
    std::vector<const char*> sessionInput = input;
    sessionInput.push_back("inhibitor");  // where Wayland cannot tell
    const Said all[] = {
        {ui::Desktop::Session, help::Topic::Idle, sessionInput},
        {ui::Desktop::Windows, help::Topic::Idle, input},
        {ui::Desktop::Session, help::Topic::ClosingTime, {"Power off at =", "\"Closing time (18:00).\"", "SIGTERM"}},
        {ui::Desktop::Windows, help::Topic::ClosingTime, {"Power off at =", "close its windows"}},
        {ui::Desktop::Session, help::Topic::WakeTime, {"/dev/rtc0", "udev rule", "RTC wake", "Wake up at ="}},
        {ui::Desktop::Windows, help::Topic::WakeTime, {"BIOS/UEFI", "power on by RTC", "grey"}},
        {ui::Desktop::Console, help::Topic::Startup,
         {"tamrel@.service", "sudo systemctl enable tamrel@USER", "~/.profile", "video or input"}},
    };
    for (const Said& said : all) {
        const std::string& text = help::HelpTopics(said.desktop)[static_cast<std::size_t>(said.topic)].text;
        for (const char* phrase : said.phrases) EXPECT_NE(text.find(phrase), std::string::npos) << phrase;
    }
    const auto windows = [](help::Topic topic) {
        return help::HelpTopics(ui::Desktop::Windows)[static_cast<std::size_t>(topic)].text;
    };
    EXPECT_EQ(windows(help::Topic::WakeTime).find("/dev/rtc0"), std::string::npos);
    EXPECT_EQ(windows(help::Topic::Idle).find("inhibitor"), std::string::npos);
}

}  // namespace
}  // namespace tamrel::test
