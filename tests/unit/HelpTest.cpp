#include <fstream>
#include <sstream>

#include "SetupTestSupport.h"
#include "help/AboutWindow.h"
#include "help/HelpTopics.h"

namespace tamrel::test {
namespace {

using namespace setup;

class HelpTest : public SetupTest {
protected:
    HelpTest() { Open(); }
    std::vector<std::string> OpenTitles() {
        std::vector<std::string> titles;
        for (headless::HeadlessWindow* window : t.ui.OpenWindows()) titles.push_back(window->spec().caption);
        return titles;
    }
    void Press(const std::string& window, const std::string& button) { t.ui.ClickControl(window, button); }
};

TEST_F(HelpTest, EachWindowExistsOnceComesForwardAndShowsItsTextAndTheLastOneEndsTheProgram) {
    Choose(kHelpCancelKey);
    Choose(kHelpCancelKey);
    EXPECT_EQ(OpenTitles(), (Lines{"The Tamrel (V1.10)........ SetUp Mode", "Help: Choosing cancel key"}));
    Press("HelpTopic", "showKeyCodes");
    Press("HelpTopic", "showKeyCodes");
    EXPECT_EQ(Control("KeyCodeTable", "row3"), "  13                                      [enter] or [return]");
    EXPECT_EQ(Control("KeyCodeTable", "row11").substr(0, 4), "  54");
    Choose(kHelpRestartKey);  // opened beside, not instead
    Press("HelpTopic", "showKeyCodes");
    EXPECT_EQ(OpenTitles(), (Lines{"The Tamrel (V1.10)........ SetUp Mode", "Help: Choosing cancel key",
                                   "Some common keyboard ASCII codes", "Help: Choosing a re-start key"}));
    const auto& calls = t.ui.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "BringToFront Some common keyboard ASCII codes"), 2);
    // "Previous Topic" onto the open cancel-key topic brings it forward and
    // still closes the current one.
    Press("HelpTopic", "previousTopic");
    EXPECT_EQ(OpenTitles(), (Lines{"The Tamrel (V1.10)........ SetUp Mode", "Help: Choosing cancel key",
                                   "Some common keyboard ASCII codes"}));
    Choose(kAbout);
    Choose(kAbout);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "BringToFront About The Tamrel (V1.10)"), 1);
    std::ifstream file(TAMREL_SOURCE_DIR "/LICENSE", std::ios::binary);
    std::ostringstream licence;
    licence << file.rdbuf();
    EXPECT_EQ(Control("AboutWindow", "licence"), licence.str());

    // Setup ends first; the program, with its last window, whichever that is.
    t.ui.QueueAnswer(ui::kAnswerYes);
    Choose(kCancelAndExit);
    EXPECT_FALSE(t.ui.quitRequested());
    t.ui.PressKey("HelpTopic", 27);  // Escape closes a help window
    Press("AboutWindow", "ok");
    EXPECT_TRUE(t.app.HasOpenWindows());
    Press("KeyCodeTable", "close");
    EXPECT_FALSE(t.app.HasOpenWindows());
    EXPECT_TRUE(t.ui.quitRequested());
}

// The size a skin must have: device pixels, whatever the twips of a pixel
// or the scaling of the display.
TEST_F(HelpTest, TheSkinTopicMeasuresTheScreenWhenItLoads) {
    struct Screen {
        int width, height, deviceWidth, deviceHeight;
        double twipsPerPixel;
    };
    // Plain; 120 dots per inch; a 1024 by 768 screen scaled twice.
    for (const Screen& s : {Screen{1024, 768, 1024, 768, 15}, {1366, 768, 1366, 768, 12}, {512, 384, 1024, 768, 15}}) {
        t.ui.SetScreenPixels(s.width, s.height);
        t.ui.SetScreenDevicePixels(s.deviceWidth, s.deviceHeight);
        t.ui.SetTwipsPerPixel(s.twipsPerPixel);
        Choose(kHelpCreateSkin);
        EXPECT_EQ(Control("HelpTopic", "screenWidth"), std::to_string(s.deviceWidth)) << s.width;
        EXPECT_EQ(Control("HelpTopic", "screenHeight"), std::to_string(s.deviceHeight)) << s.width;
        Press("HelpTopic", "close");
    }
}

// The lines a label's text takes when its words wrap at the label's width,
// as the toolkits' labels wrap them.
int WrappedLines(const ui::Control& label) {
    int lines = 0;
    std::istringstream paragraphs(label.Text());
    for (std::string paragraph; std::getline(paragraphs, paragraph);) {
        ++lines;
        std::istringstream words(paragraph);
        std::string line;
        for (std::string word; words >> word;) {
            const std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && label.MeasureText(longer).width > label.Bounds().width) {
                ++lines;
                line = word;
            } else {
                line = longer;
            }
        }
    }
    return lines;
}

// Every control lies inside the window's client area, and every label has
// the room its wrapped text needs.
void ExpectAllShown(headless::HeadlessWindow& window, const std::vector<std::string>& controls) {
    const ui::WindowSpec& spec = window.spec();
    for (const std::string& name : controls) {
        headless::HeadlessControl* control = window.FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        const ui::Rect r = control->Bounds();
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.left + r.width <= spec.clientWidth &&
                    r.top + r.height <= spec.clientHeight)
            << spec.caption << ": " << name;
        if (control->kind() != ui::ControlKind::Label) continue;
        const ui::Twips needed = WrappedLines(*control) * control->MeasureText("X").height;
        EXPECT_LE(needed, r.height) << spec.caption << ": " << name << " is cut off";
    }
}

class PlatformHelpTest : public SetupTest, public ::testing::WithParamInterface<ui::Desktop> {
protected:
    PlatformHelpTest() {
        t.ui.SetDesktop(GetParam());
        Open();
    }
};

TEST_P(PlatformHelpTest, AboutFitsASmallScreenAndTheTopicsFormOneChainInMenuOrderEachShownWholeQuotingTheScreen) {
    ASSERT_TRUE(Choose(kAbout));
    headless::HeadlessWindow& about = *t.ui.FindWindow("AboutWindow");
    // 640 by 480 pixels, less a dialog frame: borders and a title bar.
    const double pixel = headless::HeadlessToolkit::kTwipsPerPixel;
    EXPECT_LE(about.spec().clientWidth / pixel + 2 * 8, 640);
    EXPECT_LE(about.spec().clientHeight / pixel + 2 * 8 + 32, 480);
    ExpectAllShown(about, {"purpose", "anyProgram", "maker", "version", "testersCaption", "firstTesters",
                           "secondTesters", "licenceCaption", "licence", "ok"});
    if (GetParam() != ui::Desktop::Windows) {
        EXPECT_EQ(Control("AboutWindow", "version").find("Windows"), std::string::npos);
    }
    t.ui.ClickControl("AboutWindow", "ok");

    const std::vector<help::HelpTopicDef>& topics = help::HelpTopics(GetParam());
    ASSERT_TRUE(Choose(kHelpProgram));
    for (std::size_t i = 0; i < topics.size(); ++i) {
        headless::HeadlessWindow& topic = *t.ui.FindWindow("HelpTopic");
        EXPECT_EQ(topic.spec().caption, topics[i].title);
        EXPECT_EQ(t.ui.OpenWindows().size(), 2u) << "the setup window and one topic";
        EXPECT_EQ(topic.FindControl("showKeyCodes") != nullptr,
                  i == static_cast<std::size_t>(help::Topic::CancelKey) ||
                      i == static_cast<std::size_t>(help::Topic::RestartKey));
        EXPECT_EQ(topic.FindControl("previousTopic") != nullptr, i > 0);
        EXPECT_EQ(topic.FindControl("nextTopic") != nullptr, i + 1 < topics.size());
        ExpectAllShown(topic, {"topicText", "close"});
        if (i + 1 < topics.size()) t.ui.ClickControl("HelpTopic", "nextTopic");
    }
    t.ui.ClickControl("HelpTopic", "previousTopic");
    EXPECT_EQ(t.ui.FindWindow("HelpTopic")->spec().caption, topics[topics.size() - 2].title);
    EXPECT_EQ(t.ui.OpenWindows().size(), 2u);

    // The Help menu lists the topics in the same order.
    std::vector<int> inMenu;
    for (const SetupMenuDef* item : SetupMenuItems(GetParam())) {
        if (item->command == Command::ShowHelpTopic) inMenu.push_back(item->argument);
    }
    ASSERT_EQ(inMenu.size(), topics.size());
    for (std::size_t i = 0; i < inMenu.size(); ++i) EXPECT_EQ(inMenu[i], static_cast<int>(i));

    // The default look's own words, as this platform's screen shows them.
    const std::string hint = Control("SetupWindow", "cancelHint");
    EXPECT_NE(topics[static_cast<std::size_t>(help::Topic::DefaultSkin)].text.find("\"" + hint + "\""),
              std::string::npos)
        << hint;
}

INSTANTIATE_TEST_SUITE_P(BothPlatforms, PlatformHelpTest,
                         ::testing::Values(ui::Desktop::Windows, ui::Desktop::Session));

TEST(HelpTexts, OtherPlatformsAreToldTheirOwnWay) {
    const std::vector<help::HelpTopicDef>& session = help::HelpTopics(ui::Desktop::Session);
    const help::HelpTopicDef& startup = session[static_cast<std::size_t>(help::Topic::Startup)];
    EXPECT_EQ(startup.title, "Help: Running The Tamrel when the desktop session starts");
    EXPECT_NE(startup.text.find("$XDG_CONFIG_HOME (by default ~/.config/autostart)"), std::string::npos);
    const auto glaunch = static_cast<std::size_t>(help::Topic::Glaunch);
    EXPECT_NE(session[glaunch].text.find("$XDG_RUNTIME_DIR/holdmark.tes"), std::string::npos);
    EXPECT_NE(help::HelpTopics(ui::Desktop::Windows)[glaunch].text.find("c:\\holdmark.tes"), std::string::npos);
    for (const help::HelpTopicDef& topic : session) {
        EXPECT_EQ(topic.text.find("Windows"), std::string::npos) << topic.title;
    }
}

}  // namespace
}  // namespace tamrel::test
