#include "SetupTestSupport.h"

namespace tamrel::test {
namespace {

using namespace setup;

class KeyChooserTest : public SetupTest {
protected:
    KeyChooserTest() {
        Open();
        Choose(kShutdown);
    }
    int Press(int code) { return t.ui.PressKey("SetupWindow", code); }
    std::string Captured() { return Control("capturedKey").Text(); }
    bool BoxOpen() { return Showing("keyChooser"); }
    std::pair<int, int> Keys() { return {State().cancelKey, State().restartKey}; }
};

TEST_F(KeyChooserTest, ACapturedKeyIsAcceptedByOK) {
    ASSERT_TRUE(Choose(kChooseCancelKey));
    EXPECT_TRUE(BoxOpen());
    EXPECT_EQ(Control("keyChooser").Text(), "Choose cancel key.");
    EXPECT_EQ(Control("currentKey").Text(), " 27");
    EXPECT_FALSE(Control("okLabel").Enabled());
    Click("okLabel");  // disabled: nothing happens
    EXPECT_TRUE(BoxOpen());

    Press(27);
    EXPECT_TRUE(Control("okLabel").Enabled());
    EXPECT_TRUE(Showing("okHint"));
    Click("capturedKey");  // the box's own labels take no click
    EXPECT_EQ(Captured(), "27");
    Click("okLabel");
    EXPECT_FALSE(BoxOpen());
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key:  27");
}

// OK and a second press of the same key accept alike, and check alike.
TEST_F(KeyChooserTest, AKeyEqualToTheOtherNeedsConsentAsCancelKeyAndIsRefusedAsRestartKey) {
    int cancelKey = 27, restartKey = 0;
    for (const bool byOk : {true, false}) {
        const std::string way = byOk ? "by OK" : "by the same key again";
        const auto accept = [&](int key) { byOk ? Click("okLabel") : void(Press(key)); };
        const int key = byOk ? 13 : 32;
        ASSERT_TRUE(Choose(kChooseRestartKey));
        EXPECT_EQ(Control("keyChooser").Text(), "Choose re-start key.");
        EXPECT_EQ(Control("currentKey").Text(), " " + std::to_string(restartKey)) << way;
        EXPECT_TRUE(Showing("noRestartKey"));
        Press(key);
        accept(key);
        ASSERT_EQ(State().restartKey, key) << way;
        EXPECT_TRUE(Control("restartHint").Visible());

        Choose(kChooseCancelKey);
        Press(key);
        t.ui.QueueAnswer(ui::kAnswerNo);
        accept(key);
        EXPECT_EQ(LastBox().title, "The cancel key is the same as the re-start key!!") << way;
        EXPECT_EQ(LastBox().buttons, ui::Buttons::YesNo);
        EXPECT_TRUE(BoxOpen()) << way;
        EXPECT_EQ(Captured(), std::to_string(key));
        EXPECT_EQ(Keys(), std::make_pair(cancelKey, key)) << way;
        t.ui.QueueAnswer(ui::kAnswerYes);
        accept(key);
        EXPECT_EQ(Keys(), std::make_pair(key, 0)) << way;
        EXPECT_EQ(Caption(kRestartKeyMenu), "Current Re-start Key: None");
        EXPECT_FALSE(Control("restartHint").Visible());
        EXPECT_FALSE(BoxOpen());
        cancelKey = key;

        Choose(kChooseRestartKey);
        Press(key);
        t.ui.QueueAnswer(ui::kAnswerOk);
        accept(key);
        EXPECT_EQ(LastBox().prompt, "The re-start key cannot be the same as the cancel key. Please choose another key.");
        EXPECT_EQ(LastBox().title, "Invalid re-start key!!") << way;
        EXPECT_TRUE(BoxOpen()) << way;
        EXPECT_TRUE(Control("okLabel").Enabled());
        EXPECT_EQ(State().restartKey, 0) << way;
        restartKey = byOk ? 50 : 51;
        Press(restartKey);
        accept(restartKey);
        EXPECT_EQ(Caption(kRestartKeyMenu), "Current Re-start Key:  " + std::to_string(restartKey)) << way;
    }
}

TEST_F(KeyChooserTest, CancelNoRestartKeyAndACloseRequestCloseTheBox) {
    Choose(kChooseRestartKey);
    Press(65);
    Click("cancelLabel");
    EXPECT_FALSE(BoxOpen());
    EXPECT_EQ(State().restartKey, 0);
    EXPECT_EQ(Caption(kRestartKeyMenu), "Current re-start key: none");

    Choose(kChooseRestartKey);
    EXPECT_FALSE(Control("okLabel").Enabled());
    EXPECT_TRUE(Control("okHint").Visible());  // left from the capture nobody accepted
    Press(66);
    Click("noRestartKey");
    EXPECT_FALSE(BoxOpen());
    EXPECT_EQ(State().restartKey, 0);
    EXPECT_EQ(Caption(kRestartKeyMenu), "Current Re-start Key: None");

    // While the box is closed a key is taken quietly and a click is not.
    Press(70);
    t.ui.ClickWindow("SetupWindow");
    Choose(kChooseCancelKey);
    EXPECT_EQ(Captured(), "");
    EXPECT_FALSE(Showing("noRestartKey"));

    // A close request closes an open chooser first, as Cancel does.
    Press(65);
    t.ui.RequestClose("SetupWindow");
    EXPECT_FALSE(BoxOpen());
    EXPECT_FALSE(Window().closed());
    EXPECT_EQ(State().cancelKey, 27);
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key:  27");
    EXPECT_TRUE(t.ui.messageBoxes().empty());
}

TEST_F(KeyChooserTest, TheSameKeyAgainAcceptsItWithoutAMouse) {
    Choose(kChooseCancelKey);
    EXPECT_TRUE(Showing("acceptHint"));
    Press(65);
    EXPECT_TRUE(BoxOpen());
    EXPECT_EQ(Press(65), 0);  // taken, not passed on
    EXPECT_FALSE(BoxOpen());
    EXPECT_EQ(State().cancelKey, 65);

    // Another key replaces the capture; only a repeat of the last one counts.
    Choose(kChooseCancelKey);
    Press(66);
    Press(67);
    EXPECT_TRUE(BoxOpen());
    EXPECT_EQ(Captured(), "67");
    Press(67);
    EXPECT_FALSE(BoxOpen());
    EXPECT_EQ(State().cancelKey, 67);

    // Keys a dialog would spend on its buttons are keys like any other.
    Choose(kChooseCancelKey);
    Press(27);
    EXPECT_TRUE(BoxOpen());
    Press(27);
    EXPECT_EQ(State().cancelKey, 27);
    Choose(kChooseRestartKey);
    Press(9);
    Press(9);
    EXPECT_EQ(State().restartKey, 9);

    // So do clicks, accepted by one on the window; a key taken while the box was closed is no first press.
    Press(13);
    Choose(kChooseCancelKey);
    Press(13);
    EXPECT_TRUE(BoxOpen());
    Click("keyChooser");
    EXPECT_EQ(Captured(), "Left Mouse Click");
    t.ui.ClickWindow("SetupWindow");
    EXPECT_FALSE(BoxOpen());
    EXPECT_EQ(State().cancelKey, -1);
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key: Left Mouse Click");
    EXPECT_TRUE(t.ui.messageBoxes().empty());
}

}  // namespace
}  // namespace tamrel::test
