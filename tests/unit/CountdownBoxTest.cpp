#include "SetupTestSupport.h"

namespace tamrel::test {
namespace {

using namespace setup;

class CountdownBoxTest : public SetupTest {
protected:
    CountdownBoxTest() {
        t.Write("skin.bmp", "BM");
        t.Write("notes.txt", "not a picture");
        Open();
        Choose(kShutdown);
    }
    ui::Control& Box() { return Control("countdownBox"); }
    using Pair = std::pair<double, double>;
    Pair Place() { return {Box().Bounds().left, Box().Bounds().top}; }
};

TEST_F(CountdownBoxTest, SkinsSwitchBetweenThePictureAndThePreview) {
    t.ui.QueueOpenAnswer(std::nullopt);
    Choose(kOpenSkin);
    EXPECT_EQ(t.ui.openDialogs().back().filter.description, "Picture files (*.bmp)");
    EXPECT_EQ(t.ui.openDialogs().back().filter.patterns, "*.bmp");
    EXPECT_EQ(State().skinPath, "use default");
    EXPECT_TRUE(Showing("defaultSkinPreview"));

    t.ui.QueueOpenAnswer(t.Path("skin.bmp"));
    Choose(kOpenSkin);
    EXPECT_EQ(State().skinPath, t.Path("skin.bmp"));
    EXPECT_EQ(Window().picture(), t.Path("skin.bmp"));
    EXPECT_TRUE(Showing("countdownBox"));
    EXPECT_FALSE(Showing("defaultSkinPreview"));
    EXPECT_TRUE(Enabled(kCountdownBoxMenu));

    // A skin the shutdown screen could not show is refused when chosen,
    // saying why, and the look stays as it was.
    std::string huge = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0", 4);
    huge += std::string("\x40\x9c\0\0", 4) + std::string("\x40\x9c\0\0", 4) + std::string(30, '\0');
    t.Write("huge.bmp", huge);  // declares 40000 by 40000 pixels
    t.Write("bad.bmp", "not a picture");
    t.Write("UPPER.BMP", "BM");
    const std::pair<std::string, std::string> refused[] = {
        {"notes.txt", "Skin must be a .bmp file!"},
        {"UPPER.BMP", "Skin must be a .bmp file!"},
        {"bad.bmp", "not a .bmp picture that Tamrel can read"},
        {"huge.bmp", "too large for a skin"},
        {"missing.bmp", "does not exist"},
    };
    for (const auto& [name, why] : refused) {
        t.ui.QueueOpenAnswer(t.Path(name));
        t.ui.QueueAnswer(ui::kAnswerOk);
        Choose(kOpenSkin);
        EXPECT_EQ(LastBox().title, "Skin not used!") << name;
        EXPECT_NE(LastBox().prompt.find(t.Path(name)), std::string::npos) << name;
        EXPECT_NE(LastBox().prompt.find(why), std::string::npos) << LastBox().prompt;
        EXPECT_EQ(State().skinPath, t.Path("skin.bmp")) << name;
        EXPECT_EQ(Window().picture(), t.Path("skin.bmp")) << name;
    }

    Choose(kDefaultSkin);
    EXPECT_EQ(Window().picture(), "");
    EXPECT_EQ(State().skinPath, "use default");
    EXPECT_FALSE(Showing("countdownBox"));
    EXPECT_FALSE(Enabled(kCountdownBoxMenu));
}

TEST_F(CountdownBoxTest, TheFontDialogStartsFromTheFieldsAndWritesBackWhatTheBoxGot) {
    // From the defaults: bold "0" comes back from a cancelled dialog as False.
    t.ui.QueueFontAnswer(std::nullopt);
    Choose(kSelectFont);
    EXPECT_EQ(t.ui.fontDialogs().back().name, "arial");
    EXPECT_EQ(State().boxBold, "False");

    t.ui.QueueFontAnswer(ui::Font{"Courier New", 13.5, true, true});
    Choose(kSelectFont);
    EXPECT_EQ(Box().GetFont().name, "Courier New");
    EXPECT_EQ(State().boxFontSize, "13.5");
    EXPECT_EQ(State().boxBold, "True");
    EXPECT_TRUE(State().boxItalic);
    EXPECT_TRUE(t.ui.messageBoxes().empty());

    // Hand-edited values the box cannot take have given way to their
    // defaults when setup loaded them: the dialog starts from those.
    for (const auto& [line, size] : {std::pair<std::string, double>{"Countdown box fontsize =0", 20},
                                     {"Countdown box bold font =heavy", 20}}) {
        TestPlatform p;
        p.WriteSettings(SettingsLines({line}));
        p.ui.SetDefaultAnswer(ui::kAnswerOk);  // the load's error box
        p.app.ShowSetup();
        p.ui.ChooseMenu("SetupWindow", kShutdown);
        p.ui.QueueFontAnswer(std::nullopt);
        p.ui.ChooseMenu("SetupWindow", kSelectFont);
        ASSERT_EQ(p.ui.fontDialogs().size(), 1u) << line;
        EXPECT_EQ(p.ui.fontDialogs().back().size, size) << line;
        EXPECT_FALSE(p.ui.fontDialogs().back().bold) << line;
    }
}

TEST_F(CountdownBoxTest, DraggingPutsTheGrabbedPointUnderTheMouseKeepsTheBoxWholeAndResetBringsItBack) {
    t.ui.QueueOpenAnswer(t.Path("skin.bmp"));
    Choose(kOpenSkin);
    t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 100, 50);
    t.ui.DragTo("SetupWindow", "", 3000, 2000);
    EXPECT_EQ(Place(), Pair(2900, 1950));

    // A short move ends over the box's own place, which it is leaving.
    t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 100, 50);
    t.ui.DragTo("SetupWindow", "countdownBox", 3100, 2100);
    EXPECT_EQ(Place(), Pair(3000, 2050));

    // Over another control nothing moves.
    Choose(kChooseCancelKey);
    for (const char* control : {"keyChooser", "okLabel"}) {
        t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 10, 10);
        t.ui.DragTo("SetupWindow", control, 100, 100);
    }
    EXPECT_EQ(Box().Bounds().left, 3000);

    // The right button starts no drag but still records where it pressed.
    t.ui.PressMouse("SetupWindow", "countdownBox", ui::kRightButton, 20.5, 31.5);
    EXPECT_EQ(Window().dragging(), nullptr);
    EXPECT_EQ(State().dragOffsetX, 20);
    EXPECT_EQ(State().dragOffsetY, 32);

    // The box stays whole on the screen and fits its number.
    const ui::Twips width = Box().Bounds().width;
    const ui::Twips height = Box().Bounds().height;
    for (const auto& [x, y, left, top] : {std::tuple<int, int, double, double>{-500, -500, 0, 0},
                                          {100000, 100000, 1024 * 15 - width, 768 * 15 - height},
                                          {3000, 2000, 3000, 2000}}) {
        t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 0, 0);
        t.ui.DragTo("SetupWindow", "", x, y);
        EXPECT_EQ(Place(), std::make_pair(left, top)) << x << ", " << y;
    }

    // A font too large for the design size: the box grows, never shrinks.
    t.ui.QueueFontAnswer(ui::Font{"arial", 200, false, false});
    Choose(kSelectFont);
    EXPECT_GE(Box().Bounds().width, Box().MeasureText(Box().Text()).width);
    EXPECT_GE(Box().Bounds().height, Box().MeasureText(Box().Text()).height);
    EXPECT_GT(Box().Bounds().width, width);
    t.ui.QueueFontAnswer(ui::Font{"arial", 8, false, false});
    Choose(kSelectFont);
    EXPECT_EQ(Box().Bounds().width, width);
    EXPECT_EQ(Box().Bounds().height, height);

    // A reset puts the box back in black; the colour dialog starts from the colour chosen.
    t.ui.QueueColorAnswer(65280);
    Choose(kSelectColor);
    EXPECT_EQ(State().boxColor, 65280);
    EXPECT_EQ(Box().ForeColor(), 65280);
    Choose(kResetBox);
    EXPECT_EQ(Place(), Pair(0, 0));
    EXPECT_EQ(Box().ForeColor(), 0);
    EXPECT_EQ(State().boxColor, 65280);
    t.ui.QueueColorAnswer(std::nullopt);
    Choose(kSelectColor);
    EXPECT_EQ(t.ui.colorDialogs().back(), 65280);
    EXPECT_EQ(Box().ForeColor(), 65280);
}

}  // namespace
}  // namespace tamrel::test
