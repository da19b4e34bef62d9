#include <algorithm>

#include "SetupTestSupport.h"

namespace tamrel::test {
namespace {

using namespace setup;

TEST(JoystickScreen, AButtonCancelsOrRestartsButOneHeldFromTheGameCountsOnlyOnceLetGo) {
    TestPlatform t;
    t.ui.PressButton(3);  // still held from the game
    t.ShowScreen({"Joystick button to cancel =3", "Joystick button to re-start =5"});
    EXPECT_TRUE(t.ui.joysticksOpen());
    t.ui.Advance(2000);
    t.ui.ReleaseButton(3);
    t.ui.PressButton(7);  // a button of no use here
    EXPECT_TRUE(t.Open("ShutdownScreen"));
    t.ui.PressButton(3);
    EXPECT_FALSE(t.Open("ShutdownScreen"));
    EXPECT_FALSE(t.ui.joysticksOpen());
    EXPECT_EQ(t.LastEvents(3), (Lines{"User canceled shutdown at 8 seconds.", "(joystick button 3)", "Tamrel ended."}));

    TestPlatform p;
    p.ShowScreen({"Joystick button to cancel =3", "Joystick button to re-start =5"});
    p.ui.PressButton(5);
    EXPECT_EQ(p.processes.restarts(), Lines{p.folder()});
    EXPECT_EQ(p.LastEvents(4), (Lines{"User chose to cancel shutdown and re-start program at 10 seconds.",
                                      "(joystick button 5)", "Tamrel ended.", "Re-starting Tamrel"}));
}

TEST(JoystickScreen, WithoutAUsableButtonNoJoystickIsOpened) {
    // A file from before the buttons. (Out of range: SettingsBounds.)
    TestPlatform t;
    t.ShowScreen({"-Joystick button to cancel =", "-Joystick button to re-start ="});
    t.ui.PressButton(1);
    EXPECT_FALSE(t.ui.joysticksOpen());
    EXPECT_TRUE(t.Open("ShutdownScreen"));
    // The re-start button may not be the cancel button: that one cancels.
    TestPlatform same;
    same.ui.RefuseJoystick("/dev/input/js1", "Permission denied");
    same.ShowScreen({"Joystick button to cancel =4", "Joystick button to re-start =4"});
    EXPECT_EQ(same.Logged("Could not open the joystick /dev/input/js1: Permission denied"), 1);
    same.ui.PressButton(4);
    EXPECT_TRUE(same.processes.restarts().empty());
    EXPECT_EQ(same.LastEvents(2), (Lines{"(joystick button 4)", "Tamrel ended."}));
}

class JoystickChooser : public SetupTest {
protected:
    void SetUp() override {
        Open(SettingsLines({"Program =" + t.Runnable("front.sh"), "Joystick button to cancel =3",
                            "Joystick button to re-start =6"}));
        Choose(kShutdown);
    }
    std::string Captured() { return Control("capturedKey").Text(); }
};

TEST_F(JoystickChooser, LearnsAButtonByAPressIgnoringOneHeldAndKeepsTheKey) {
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key:  27, button 3");
    EXPECT_EQ(Caption(kRestartKeyMenu), "Current re-start key: none, button 6");
    EXPECT_FALSE(t.ui.joysticksOpen());
    t.ui.PressButton(9);  // held when the box opens
    ASSERT_TRUE(Choose(kChooseCancelKey));
    EXPECT_TRUE(t.ui.joysticksOpen());
    t.ui.PressButton(9);
    EXPECT_EQ(Captured(), "");
    t.ui.PressButton(2);
    EXPECT_EQ(Captured(), "Joystick button 2");
    t.ui.PressButton(2);  // the same button again accepts it
    t.ui.ReleaseButton(2);
    EXPECT_FALSE(Showing("keyChooser"));
    EXPECT_FALSE(t.ui.joysticksOpen());
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key:  27, button 2");

    // The re-start button may not be the cancel button; "no re-start key" clears it.
    Choose(kChooseRestartKey);
    EXPECT_EQ(Control("currentKey").Text(), " 0, button 6");
    t.ui.PressButton(2);
    t.ui.QueueAnswer(ui::kAnswerOk);
    Click("okLabel");
    EXPECT_EQ(LastBox().title, "Invalid re-start button!!");
    EXPECT_TRUE(Showing("keyChooser"));
    Click("noButton");
    EXPECT_EQ(Caption(kRestartKeyMenu), "Current Re-start Key: None");
    EXPECT_FALSE(t.ui.joysticksOpen());

    // The cancel button takes the re-start button over with the user's consent.
    Choose(kChooseRestartKey);
    t.ui.PressButton(5);
    t.ui.PressButton(5);
    t.ui.ReleaseButton(5);
    t.ui.QueueAnswer(ui::kAnswerYes);
    Choose(kChooseCancelKey);
    t.ui.PressButton(5);
    Click("okLabel");
    EXPECT_EQ(LastBox().title, "The cancel button is the same as the re-start button!!");
    EXPECT_EQ(Caption(kRestartKeyMenu), "Current Re-start Key: None");
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key:  27, button 5");
    ASSERT_TRUE(Choose(kDone));
    const Lines keys = t.KeyLines();
    EXPECT_NE(std::find(keys.begin(), keys.end(), "Key to cancel =27"), keys.end());
    EXPECT_EQ(Lines(keys.end() - 5, keys.end() - 3),
              (Lines{"Joystick button to cancel =5", "Joystick button to re-start =0"}));
}

TEST_F(JoystickChooser, AButtonBeyondWhatTheFileHoldsIsRefusedWithTheRange) {
    Choose(kChooseCancelKey);
    for (const int button : {33, 40}) {
        t.ui.PressButton(button);
        t.ui.PressButton(button);  // the same button again accepts nothing either
        EXPECT_EQ(Captured(), "");
        EXPECT_EQ(Control("joystickNote").Text(),
                  "Joystick button " + std::to_string(button) + " cannot be chosen: please choose one of 1 to 32.");
        EXPECT_TRUE(Showing("joystickNote"));
        EXPECT_TRUE(Showing("keyChooser"));
    }
    t.ui.PressButton(32);
    EXPECT_EQ(Captured(), "Joystick button 32");
    EXPECT_FALSE(Showing("joystickNote"));
    Click("okLabel");
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key:  27, button 32");
}

TEST_F(JoystickChooser, WithoutJoystickSupportTheBoxSaysWhatButtonsNeedAndBothLogsHaveItOnce) {
    const std::string need = "Joystick buttons need the SDL 2 library (package libsdl2-2.0-0).";
    t.ui.LackJoysticks(need, "libSDL2-2.0.so.0: cannot open shared object file\n");
    for (const ui::MenuId mode : {kChooseCancelKey, kChooseRestartKey}) {
        Choose(mode);
        EXPECT_EQ(Control("keyPrompt").Text(), std::string("Press a key now to set new ") +
                                                   (mode == kChooseCancelKey ? "cancel" : "re-start") +
                                                   " key ascii code:");
        EXPECT_EQ(Control("joystickNote").Text(), need);
        EXPECT_TRUE(Showing("joystickNote"));
        t.ui.PressKey("SetupWindow", 32);  // keys still serve
        EXPECT_EQ(Captured(), "32");
        EXPECT_TRUE(Showing("joystickNote"));
        Click("cancelLabel");
    }
    const std::string line =
        "No joystick button can be chosen. " + need + " (libSDL2-2.0.so.0: cannot open shared object file\\n)";
    EXPECT_EQ(t.Logged(line), 1);
    EXPECT_EQ(t.Errors(), Lines{" --" + line});
}

TEST(JoystickScreen, AChosenButtonThatCannotBeListenedForIsToldInBothLogs) {
    TestPlatform t;
    t.ui.LackJoysticks("Joystick buttons need the SDL 2 library (package libsdl2-2.0-0).", "not found");
    t.ShowScreen({"Joystick button to cancel =3"});
    const std::string line = "The joystick buttons chosen in tamrel.set cannot be listened for. Joystick buttons need "
                             "the SDL 2 library (package libsdl2-2.0-0). (not found)";
    EXPECT_EQ(t.Logged(line), 1);
    EXPECT_EQ(t.Errors(), Lines{" --" + line});
    EXPECT_TRUE(t.Open("ShutdownScreen"));  // the keys still count down and cancel
    t.ui.PressKey("ShutdownScreen", 27);
    EXPECT_FALSE(t.Open("ShutdownScreen"));
}

// (One out of range: SettingsBounds.)
TEST(JoystickSetupRead, ABadButtonIsSaidAndGivesNone) {
    TestPlatform t;
    t.WriteLaunchable({"Joystick button to cancel =4", "Joystick button to re-start =4"});
    t.app.ShowSetup();
    EXPECT_EQ(t.Logged("The joystick button to re start in tamrel.set is the same as the cancel button. Using "
                       "default of 0 (None)."),
              1);
    EXPECT_EQ(t.ui.FindWindow("SetupWindow")->MenuCaption(setup::kRestartKeyMenu), "Current re-start key: none");
}

}  // namespace
}  // namespace tamrel::test
