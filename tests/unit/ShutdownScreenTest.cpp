#include <tuple>

#include "TestPlatform.h"

namespace tamrel::test {
namespace {

using ShutdownScreenTest = PlatformTest;

TEST_F(ShutdownScreenTest, TheDefaultLookIsCentredInAFileOfThePreviousVersion) {
    t.ShowScreen({"Skin = Use default", "-Key to re-start ="});
    ASSERT_TRUE(t.Open("ShutdownScreen"));
    EXPECT_TRUE(t.Screen("defaultLook").Visible());
    EXPECT_FALSE(t.Screen("countdownNumber").Visible());
    const ui::Rect frame = t.Screen("defaultLook").Bounds();
    EXPECT_EQ(frame.left, (1024 * 15 - 9495) / 2.0);  // halves are kept
    EXPECT_EQ(frame.top, (768 * 15 - 5295) / 2.0);
    EXPECT_EQ(t.Screen("defaultNumber").Text(), "10");
    EXPECT_EQ(t.Screen("headingLabel").Text(), "Your machine will shut down in");
    EXPECT_FALSE(t.Screen("restartHint").Visible());  // no re-start key in that version
    EXPECT_TRUE(t.Logged("The tamrel.set file is for an older version of The Tamrel. You may want to run setup."));
    EXPECT_TRUE(t.ui.FindWindow("ShutdownScreen")->spec().fullScreen);
}

TEST_F(ShutdownScreenTest, TheSkinLookPlacesTheBoxWithXAsItsTop) {
    t.Write("cab.bmp", "BM");
    const std::string skin = t.Path("cab.bmp");
    t.ShowScreen({"Skin =" + skin, "Countdown box X position = 1000", "Countdown box Y position = 3000",
                  "Countdown box font =", "Countdown box fontsize = 0", "Countdown box bold font = 1",
                  "Countdown box italic = true", "Countdown box color = 65280", "Seconds to cancel = 7"});
    ASSERT_TRUE(t.Open("ShutdownScreen"));
    EXPECT_EQ(t.ui.FindWindow("ShutdownScreen")->picture(), skin);
    ui::Control& box = t.Screen("countdownNumber");
    EXPECT_TRUE(box.Visible());
    EXPECT_FALSE(t.Screen("defaultLook").Visible());
    const ui::Rect r = box.Bounds();
    EXPECT_EQ(std::make_tuple(r.top, r.left, r.width, r.height), std::make_tuple(1000, 3000, 3255, 2295));
    const ui::Font f = box.GetFont();
    EXPECT_EQ(std::make_tuple(f.name, f.size, f.bold, f.italic), std::make_tuple("comic sans ms", 20, true, true));
    EXPECT_EQ(box.ForeColor(), 65280);
    EXPECT_EQ(box.Text(), "7");
}

TEST_F(ShutdownScreenTest, AWronglyNamedSkinFallsBackToAPlainBackground) {
    t.ShowScreen({"Skin =C:\\skins\\cab.BMP"}, {ui::kAnswerOk});
    ASSERT_TRUE(t.Open("ShutdownScreen"));
    EXPECT_EQ(t.Box().prompt, "There is a problem with the skin setting in tamrel.set. Please fix it.");
    EXPECT_EQ(t.Errors(),
              Lines{" --Tamrel encountered a problem with the skin in tamrel.set. Skin must be a .bmp file!"});
    EXPECT_EQ(t.ui.FindWindow("ShutdownScreen")->picture(), "");
    EXPECT_TRUE(t.Screen("countdownNumber").Visible());
    t.ui.Advance(1000);
    EXPECT_EQ(t.Screen("countdownNumber").Text(), "9");
}

TEST_F(ShutdownScreenTest, FailuresEndTheScreenWithoutShuttingDown) {
    const std::string missing = t.Path("missing.bmp");
    t.Write("cab.bmp", "BM");
    const std::string skin = t.Path("cab.bmp");
    for (const auto& [line, description] :
         {std::pair<std::string, std::string>{"Skin =" + missing, "File not found: " + missing},
          {"Countdown box fontsize = 12pt", "Type mismatch"},
          {"Countdown box fontsize = -3", "Invalid property value"},
          {"Countdown box bold font = maybe", "Type mismatch"},
          // Read from the file, they name the line.
          {"Seconds to cancel = 40000", "Overflow: Seconds to cancel = 40000"},
          {"Countdown box color = 1e10", "Overflow: Countdown box color = 1e10"}}) {
        TestPlatform p;
        // Keys and clicks while the set-up's own error box shows do nothing.
        p.ui.OnMessageBox([&](const headless::MessageBoxCall&) {
            p.ui.PressKey("ShutdownScreen", 27);
            p.ui.ClickWindow("ShutdownScreen");
        });
        // The skin look, where the box's font is applied.
        p.ShowScreen({"Skin =" + skin, line}, {ui::kAnswerOk});
        EXPECT_FALSE(p.Open("ShutdownScreen")) << line;
        EXPECT_EQ(p.Logged("User canceled shutdown at 10 seconds."), 0) << line;
        ASSERT_EQ(p.ui.messageBoxes().size(), 1u) << line;
        EXPECT_EQ(p.Box().prompt, "Tamrel has encountered a problem and will end. (" + description +
                                      ")\r Please check Tamrel.txt for help");
        EXPECT_EQ(p.Errors(),
                  Lines{"---Tamrel encountered error.  (" + description + "). Please check for proper setup."});
        EXPECT_TRUE(p.power.requests().empty());
        EXPECT_TRUE(p.Exists("tamrel.set"));
        EXPECT_TRUE(p.ui.quitRequested());
    }
}

TEST_F(ShutdownScreenTest, TheReadingEndsAtMethodZeroOrOutOfRangeAndAtAValueThatDoesNotConvert) {
    for (const std::string method : {"0", "3", "-1"}) {
        TestPlatform p;
        // The rest of this file would count as corrupt; it is not looked at.
        p.WriteSettings({"Shutdown method =" + method, "Seconds to cancel = 40000"});
        p.app.ShowShutdownScreen(kLongRun);
        EXPECT_FALSE(p.Open("ShutdownScreen"));
        EXPECT_TRUE(p.ui.messageBoxes().empty());
        EXPECT_EQ(p.Events(), Lines{"In Tamrel.set, Shutdown method =" + method});
        EXPECT_TRUE(p.Exists("tamrel.set"));
    }
    // A value that does not convert stops the reading before it is logged.
    t.ShowScreen({"Countdown box italic = maybe"}, {ui::kAnswerOk});
    EXPECT_EQ(t.LastEvents(1), Lines{"In Tamrel.set, Countdown box font =arial"});  // the line before it
}

TEST_F(ShutdownScreenTest, ValuesAreReplacedWithoutABox) {
    // (Each range at both edges: SettingsBounds.)
    t.ShowScreen({"Key to cancel = 300", "Key to re-start =13"});
    EXPECT_FALSE(t.Screen("restartHint").Visible());  // equal to the replaced cancel key

    // Whatever reads as 0 would give a countdown nobody can stop.
    for (const std::string value : {"0", "Esc", "0x1B", ""}) {
        TestPlatform p;
        p.ShowScreen({"Key to cancel =" + value, "Key to re-start = -1"});
        EXPECT_TRUE(p.Screen("restartHint").Visible()) << value;
        EXPECT_EQ(p.Logged("The key to cancel in tamrel.set is 0, which no key gives. Using 27 (Escape)."), 1);
        p.ui.PressKey("ShutdownScreen", 27);
        EXPECT_FALSE(p.Open("ShutdownScreen"));
    }
}

TEST_F(ShutdownScreenTest, AnIncompleteFileIsKeptAsBadAndRemoved) {
    for (const bool empty : {false, true}) {
        TestPlatform p;
        p.WriteSettings(empty ? Lines{} : SettingsLines({"-Run Setup ="}));
        p.ui.QueueAnswer(ui::kAnswerOk);
        p.app.ShowShutdownScreen(kLongRun);
        // Put aside as setup's reading does.
        EXPECT_FALSE(p.Open("ShutdownScreen"));
        EXPECT_TRUE(p.Exists("tamrel.bad"));
        EXPECT_TRUE(p.power.requests().empty());
    }
}

TEST_F(ShutdownScreenTest, AMissingFileOffersSetupOrEnds) {
    t.ui.QueueAnswer(ui::kAnswerYes);
    t.app.ShowShutdownScreen(kLongRun);
    EXPECT_FALSE(t.Open("ShutdownScreen"));
    EXPECT_TRUE(t.Shown("SetupWindow"));
    EXPECT_EQ(t.Box().prompt, "Tamrel.set config file not found! Do you wish to setup Tamrel now?");
    EXPECT_EQ(t.Box().title, "Tamrel.set not found!");
    EXPECT_EQ(t.Box().buttons, ui::Buttons::YesNo);

    TestPlatform p;
    p.ui.QueueAnswer(ui::kAnswerNo);
    p.ui.QueueAnswer(ui::kAnswerOk);
    p.app.ShowShutdownScreen(kLongRun);
    EXPECT_FALSE(p.Shown("SetupWindow"));
    EXPECT_EQ(p.Box(1).prompt, "The Tamrel cannot work until the tamrel.set file is properly created.");
    EXPECT_EQ(p.Errors(), Lines{" tamrel.set file not found! User chose not to set up at this time."});
    EXPECT_EQ(p.Events(), (Lines{"Problem encountered with tamrel.set file.", "Tamrel ended."}));
    EXPECT_FALSE(p.Exists("tamrel.set"));  // never created here
}

}  // namespace
}  // namespace tamrel::test
