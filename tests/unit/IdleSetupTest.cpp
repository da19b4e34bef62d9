// Power off when idle in setup: the menu's choices and state, and the value
// carried from the file through "Done!".

#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "SetupTestSupport.h"

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
// it; what setup cannot use is written as off. (The edges and what both logs
// say: SettingsBounds; a value chosen away from and back: SetupHandEdited.)
TEST(IdleSetupRoundTrip, TheFilesValueIsShownAndWrittenBackAndABadOneIsOff) {
    const std::tuple<std::string, Lines, std::string> cases[] = {
        // the line ("-..." leaves it out), the marked items, the value written
        {"-Idle minutes to power off =", {">Off"}, "0"},  // a file from before the line
        {"Idle minutes to power off =60", {">60 Minutes"}, "60"},
        {"Idle minutes to power off =45", {">45 Minutes"}, "45"},
        {"Idle minutes to power off =1", {">1 Minute"}, "1"},
        {"Idle minutes to power off =1441", {">Off"}, "0"},
    };
    for (const auto& [line, marked, written] : cases) {
        TestPlatform p;
        p.WriteLaunchable({"Shutdown method =2", line});
        p.app.ShowSetup();
        EXPECT_TRUE(p.ui.messageBoxes().empty()) << line;
        EXPECT_EQ(Marked(*p.ui.FindWindow("SetupWindow")), marked) << line;
        ASSERT_TRUE(p.ui.ChooseMenu("SetupWindow", kDone)) << line;
        EXPECT_EQ(IdleLineOf(p.KeyLines()), "Idle minutes to power off =" + written) << line;
    }
}

}  // namespace
}  // namespace tamrel::test
