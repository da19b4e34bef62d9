// Power off when idle in setup: the menu's choices and state, and the value
// carried from the file through "Done!".

#include <algorithm>
#include <stdexcept>

#include "SetupTestSupport.h"
#include "help/HelpTopics.h"

namespace tamrel::test {
namespace {

// The idle line among the key lines setup wrote.
std::string IdleLineOf(const std::vector<std::string>& keys) {
    for (const std::string& key : keys) {
        if (key.starts_with("Idle minutes to power off =")) return key;
    }
    return "";
}

using namespace setup;

constexpr ui::MenuId kIdleItems[] = {kIdleOff, kIdle15, kIdle30, kIdle60, kIdle120};

// The captions of the idle items that carry the mark.
Lines Marked(headless::HeadlessWindow& window) {
    Lines marked;
    for (const ui::MenuId id : {kIdleOff, kIdle15, kIdle30, kIdle60, kIdle120, kIdleFromFile}) {
        try {
            if (window.MenuCaption(id).starts_with(">")) marked.push_back(window.MenuCaption(id));
        } catch (const std::logic_error&) {
        }  // only a value no item offers brings an item of its own
    }
    return marked;
}

using IdleSetupTest = SetupTest;

TEST_F(IdleSetupTest, TheMenuOffersItsTimesOnlyWithAShutdownMethodAndMarksTheOneChosen) {
    Open(SettingsLines({"Program =" + t.Runnable("front.sh"), "Shutdown method =0"}));
    // Beside the other choices that matter only with a shutdown.
    const SetupMenuDef& options = SetupMenuItem(t.ui.desktop(), kOptionsMenu);
    const auto at = [&](ui::MenuId id) {
        return std::find_if(options.items.begin(), options.items.end(), [id](const auto& i) { return i.id == id; }) -
               options.items.begin();
    };
    EXPECT_EQ(at(kIdleMenu), at(kShortestRunMenu) + 1);
    EXPECT_EQ(Caption(kIdleMenu), "Power off when idle");
    Lines captions;
    for (const ui::MenuId id : kIdleItems) captions.push_back(Caption(id));
    EXPECT_EQ(captions, (Lines{">Off", "15 Minutes", "30 Minutes", "60 Minutes", "120 Minutes"}));

    EXPECT_FALSE(Enabled(kIdleMenu));
    EXPECT_FALSE(Choose(kIdle30));
    ASSERT_TRUE(Choose(kPowerOff));
    EXPECT_TRUE(Enabled(kIdleMenu));
    ASSERT_TRUE(Choose(kIdle30));
    EXPECT_EQ(Marked(Window()), Lines{">30 Minutes"});
    ASSERT_TRUE(Choose(kIdle120));
    EXPECT_EQ(Marked(Window()), Lines{">120 Minutes"});
    // Going back to no shutdown greys it again and keeps the choice.
    ASSERT_TRUE(Choose(kNoShutdown));
    EXPECT_FALSE(Enabled(kIdleMenu));
    ASSERT_TRUE(Choose(kDone));
    EXPECT_EQ(IdleLineOf(t.KeyLines()), "Idle minutes to power off =120");
}

// Whatever the file holds comes back from "Done!" unless the menu changed
// it; what setup cannot use is off, said in both logs.
TEST(IdleSetupRoundTrip, TheFilesValueIsShownAndWrittenBackAndABadOneIsOffInBothLogs) {
    const std::string outOfRange =
        "The number for idle minutes to power off in tamrel.set is out of range. Power off when idle is off.";
    const std::string unreadable =
        "The number for idle minutes to power off in tamrel.set cannot be read. Power off when idle is off.";
    struct Case {
        std::string line;  // "-..." leaves the line out
        Lines marked;
        std::string said;  // empty: nothing
        std::string written;
    };
    const Case cases[] = {
        {"-Idle minutes to power off =", {">Off"}, "", "0"},  // a file from before the line
        {"Idle minutes to power off =0", {">Off"}, "", "0"},
        {"Idle minutes to power off =60", {">60 Minutes"}, "", "60"},
        {"Idle minutes to power off =45", {">45 Minutes"}, "", "45"},
        {"Idle minutes to power off =1", {">1 Minute"}, "", "1"},
        {"Idle minutes to power off =1440", {">1440 Minutes"}, "", "1440"},
        {"Idle minutes to power off =1441", {">Off"}, outOfRange, "0"},
        {"Idle minutes to power off =-1", {">Off"}, outOfRange, "0"},
        {"Idle minutes to power off =40000", {">Off"}, outOfRange, "0"},
        {"Idle minutes to power off =half an hour", {">Off"}, unreadable, "0"},
    };
    for (const Case& c : cases) {
        TestPlatform p;
        p.WriteLaunchable({"Shutdown method =2", c.line});
        p.app.ShowSetup();
        ASSERT_TRUE(p.Open("SetupWindow")) << c.line;
        EXPECT_TRUE(p.ui.messageBoxes().empty()) << c.line;
        EXPECT_EQ(Marked(*p.ui.FindWindow("SetupWindow")), c.marked) << c.line;
        if (c.said.empty()) {
            EXPECT_TRUE(p.Errors().empty()) << c.line;
        } else {
            EXPECT_EQ(p.Logged(c.said), 1) << c.line;
            EXPECT_EQ(p.Errors(), Lines{" --" + c.said}) << c.line;
        }
        ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", kDone)) << c.line;
        const Lines keys = p.KeyLines();
        EXPECT_EQ(IdleLineOf(keys), "Idle minutes to power off =" + c.written) << c.line;
    }

    // Chosen away from a hand-edited value, and back to it.
    TestPlatform p;
    p.WriteLaunchable({"Shutdown method =1", "Idle minutes to power off =45"});
    p.app.ShowSetup();
    headless::HeadlessWindow& window = *p.ui.FindWindow("SetupWindow");
    ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", kIdle15));
    EXPECT_EQ(window.MenuCaption(kIdleFromFile), "45 Minutes");
    EXPECT_EQ(window.MenuCaption(kIdle15), ">15 Minutes");
    ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", kDone));
    EXPECT_EQ(IdleLineOf(p.KeyLines()), "Idle minutes to power off =15");
}

// The help says what counts and, on Linux, where Wayland cannot tell.
TEST(IdleHelp, TheTopicTellsWhatCountsAsInputOnEachPlatform) {
    for (const ui::Desktop desktop : {ui::Desktop::Windows, ui::Desktop::Session}) {
        const std::string& text = help::HelpTopics(desktop)[static_cast<std::size_t>(help::Topic::Idle)].text;
        for (const char* said : {"a key, a mouse button, mouse motion, a joystick button", "a quarter of its range",
                                 "Not counted", "drifts", "Idle minutes to power off =", "1440"}) {
            EXPECT_NE(text.find(said), std::string::npos) << said;
        }
        EXPECT_EQ(text.find("inhibitor") != std::string::npos, desktop == ui::Desktop::Session);
    }
}

}  // namespace
}  // namespace tamrel::test
