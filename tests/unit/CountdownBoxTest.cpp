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
};

TEST_F(CountdownBoxTest, SkinsSwitchBetweenThePictureAndThePreview) {
    t.ui.QueueOpenAnswer(std::nullopt);
    Choose(kOpenSkin);
    EXPECT_EQ(t.ui.openDialogs().back().filter.description, "Picture files (*.bmp)");
    EXPECT_EQ(t.ui.openDialogs().back().filter.patterns, "*.bmp");
    EXPECT_EQ(State().SkinPath, "use default");
    EXPECT_TRUE(Showing("defaultSkinPreview"));

    t.ui.QueueOpenAnswer(t.Path("skin.bmp"));
    Choose(kOpenSkin);
    EXPECT_EQ(State().SkinPath, t.Path("skin.bmp"));
    EXPECT_EQ(Window().picture(), t.Path("skin.bmp"));
    EXPECT_TRUE(Showing("countdownBox"));
    EXPECT_FALSE(Showing("defaultSkinPreview"));
    EXPECT_TRUE(Enabled(kCountdownBoxMenu));

    // No picture: one event line, the new path, the old background.
    t.ui.QueueOpenAnswer(t.Path("notes.txt"));
    Choose(kOpenSkin);
    EXPECT_EQ(t.Events().back(), "While opening a skin, encountered an error: 481");
    EXPECT_EQ(State().SkinPath, t.Path("notes.txt"));
    EXPECT_EQ(Window().picture(), t.Path("skin.bmp"));
    EXPECT_TRUE(t.ui.messageBoxes().empty());

    Choose(kDefaultSkin);
    EXPECT_EQ(Window().picture(), "");
    EXPECT_EQ(State().SkinPath, "use default");
    EXPECT_FALSE(Showing("countdownBox"));
    EXPECT_FALSE(Enabled(kCountdownBoxMenu));
}

TEST_F(CountdownBoxTest, TheFontDialogStartsFromTheFieldsAndWritesBackWhatTheBoxGot) {
    State().BoxFontName = "";
    State().BoxBold = "";
    State().BoxFontSize = "0";
    t.ui.QueueFontAnswer(ui::Font{"Courier New", 13.5, true, true});
    Choose(kSelectFont);
    const ui::Font start = t.ui.fontDialogs().back();
    EXPECT_EQ(start.name, "arial");
    EXPECT_EQ(start.size, 10);
    EXPECT_FALSE(start.bold);
    EXPECT_EQ(Box().GetFont().name, "Courier New");
    EXPECT_EQ(State().BoxFontSize, "13.5");
    EXPECT_EQ(State().BoxBold, "True");
    EXPECT_TRUE(State().BoxItalic);

    // Cancel gives the start back, normalised; a bold text that does not
    // convert starts from not bold.
    State().BoxBold = "0";
    t.ui.QueueFontAnswer(std::nullopt);
    Choose(kSelectFont);
    EXPECT_EQ(State().BoxBold, "False");
    State().BoxBold = "heavy";
    t.ui.QueueFontAnswer(std::nullopt);
    Choose(kSelectFont);
    EXPECT_FALSE(t.ui.fontDialogs().back().bold);
    EXPECT_TRUE(t.ui.messageBoxes().empty());
}

TEST_F(CountdownBoxTest, ColourAndReset) {
    t.ui.QueueColorAnswer(65280);
    Choose(kSelectColor);
    EXPECT_EQ(State().BoxColor, 65280);
    EXPECT_EQ(Box().ForeColor(), 65280);
    Box().SetBounds({500, 700, 3255, 2295});
    Choose(kResetBox);
    EXPECT_EQ(Box().Bounds().left, 0);
    EXPECT_EQ(Box().Bounds().top, 0);
    EXPECT_EQ(Box().ForeColor(), 0);
    EXPECT_EQ(State().BoxColor, 65280);
    t.ui.QueueColorAnswer(std::nullopt);
    Choose(kSelectColor);
    EXPECT_EQ(t.ui.colorDialogs().back(), 65280);
    EXPECT_EQ(Box().ForeColor(), 65280);
}

TEST_F(CountdownBoxTest, DraggingPutsTheGrabbedPointUnderTheMouse) {
    t.ui.QueueOpenAnswer(t.Path("skin.bmp"));
    Choose(kOpenSkin);
    t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 100, 50);
    t.ui.DragTo("SetupWindow", "", 3000, 2000);
    EXPECT_EQ(Box().Bounds().left, 2900);
    EXPECT_EQ(Box().Bounds().top, 1950);

    // Over a control, the box itself included, nothing moves.
    Choose(kChooseCancelKey);
    for (const char* control : {"countdownBox", "keyChooser", "okLabel"}) {
        t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 10, 10);
        t.ui.DragTo("SetupWindow", control, 100, 100);
    }
    EXPECT_EQ(Box().Bounds().left, 2900);

    // The right button starts no drag but still records where it pressed.
    t.ui.PressMouse("SetupWindow", "countdownBox", ui::kRightButton, 20.5, 31.5);
    EXPECT_EQ(Window().dragging(), nullptr);
    EXPECT_EQ(State().DragOffsetX, 20);
    EXPECT_EQ(State().DragOffsetY, 32);
}

}  // namespace
}  // namespace tamrel::test
