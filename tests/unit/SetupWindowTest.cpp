#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <tuple>

#include "SetupTestSupport.h"
#include "shutdown/ShutdownScreen.h"

namespace tamrel::test {
namespace {

using namespace setup;

using SetupWindowTest = SetupTest;

TEST_F(SetupWindowTest, WithoutAFileItStartsFromTheDefaults) {
    Open();
    EXPECT_TRUE(Window().spec().maximized);
    EXPECT_EQ(Caption(kNoShutdown), ">Dont shut the machine down");
    EXPECT_EQ(Caption(kShutdown), "Shutdown");
    EXPECT_EQ(Caption(k25Seconds), ">25 Seconds");
    EXPECT_EQ(Caption(k5Seconds), "5 Seconds");
    EXPECT_EQ(Caption(kProgramShown), "Program to launch: " + t.folder());
    for (ui::MenuId menu : {kCancelKeyMenu, kRestartKeyMenu, kCancelTimeMenu, kSkinMenu, kCountdownBoxMenu}) {
        EXPECT_EQ(Enabled(menu), menu == kSkinMenu) << menu;
    }
    // The default-skin preview, centred, stands in for the countdown box.
    EXPECT_TRUE(Showing("defaultSkinPreview"));
    EXPECT_FALSE(Showing("countdownBox"));
    EXPECT_FALSE(Showing("restartHint"));
    EXPECT_EQ(Control("defaultSkinPreview").Bounds().left, (1024 * 15 - 9495) / 2.0);
    EXPECT_EQ(Control("cancelHint").Text(), "press the assigned key to cancel and return to Windows.");
    EXPECT_EQ(Control("countdownBox").Text(), "25");
}

TEST_F(SetupWindowTest, ItShowsWhatTheFileSays) {
    t.Write("skin.bmp", "BM");
    Open(SettingsLines({"Shutdown method =2", "Key to cancel =-1", "Key to re-start =13", "Seconds to cancel =7",
                        "Skin =" + t.Path("skin.bmp"), "Countdown box X position = 1200",
                        "Countdown box Y position = 300", "Countdown box color = 255"}));
    EXPECT_TRUE(Enabled(kCancelKeyMenu) && Enabled(kCancelTimeMenu) && Enabled(kRestartKeyMenu));
    EXPECT_EQ(Caption(kCancelKeyMenu), "Current Cancel Key: Left mouse click");
    EXPECT_EQ(Caption(kRestartKeyMenu), "Current re-start key:  13");
    EXPECT_TRUE(Control("restartHint").Visible());
    // 7 seconds is kept, and shown as chosen.
    EXPECT_EQ(Caption(kCancelTimeFromFile), ">7 Seconds");
    for (ui::MenuId item : {k5Seconds, k10Seconds, k15Seconds, k20Seconds, k25Seconds}) {
        EXPECT_NE(Caption(item)[0], '>');
    }
    EXPECT_EQ(Control("countdownBox").Text(), "7");
    EXPECT_EQ(Window().picture(), t.Path("skin.bmp"));
    EXPECT_TRUE(Showing("countdownBox"));
    const ui::Rect box = Control("countdownBox").Bounds();
    EXPECT_EQ(std::make_tuple(box.top, box.left, Control("countdownBox").ForeColor()), std::make_tuple(1200, 300, 255));
}

// A value edited into the file by hand is an item of its own, marked, so
// that what "Done!" keeps is seen, and it can be chosen again.
TEST(SetupHandEdited, AValueNoItemOffersIsShownMarkedAndStaysChoosable) {
    struct Case {
        std::string line;
        ui::MenuId fromFile, other;
        std::string caption;
    };
    const Case cases[] = {
        {"Seconds to cancel =17", kCancelTimeFromFile, k10Seconds, "17 Seconds"},
        {"Shortest run in seconds =45", kShortestRunFromFile, kShortestRun60, "45 Seconds"},
        {"Shortest run in seconds =3600", kShortestRunFromFile, kShortestRunOff, "3600 Seconds"},
        {"Shortest run in seconds =1", kShortestRunFromFile, kShortestRun10, "1 Second"},
        {"Idle minutes to power off =90", kIdleFromFile, kIdle120, "90 Minutes"},
    };
    for (const Case& c : cases) {
        TestPlatform t;
        t.WriteLaunchable({c.line});
        t.app.ShowSetup();
        headless::HeadlessWindow& window = *t.ui.FindWindow("SetupWindow");
        EXPECT_EQ(window.MenuCaption(c.fromFile), ">" + c.caption) << c.line;
        EXPECT_EQ(window.MenuCaption(c.other)[0] == '>', false) << c.line;
        ASSERT_TRUE(t.ui.ChooseMenu("SetupWindow", c.other)) << c.line;
        EXPECT_EQ(window.MenuCaption(c.fromFile), c.caption) << c.line;
        t.ui.ChooseMenu("SetupWindow", c.fromFile);
        EXPECT_EQ(window.MenuCaption(c.fromFile), ">" + c.caption) << c.line;
        EXPECT_EQ(window.MenuCaption(c.other)[0] == '>', false) << c.line;
        t.ui.ChooseMenu("SetupWindow", kDone);
        const Lines keys = t.KeyLines();
        EXPECT_NE(std::find(keys.begin(), keys.end(), c.line), keys.end()) << c.line;
    }
    // In its place among the others.
    SetupMenus menus = SetupMenuTable(ui::Desktop::Session);
    ASSERT_TRUE(OfferValue(menus, Command::ChooseCancelTime, kCancelTimeFromFile, 17, "Seconds"));
    std::vector<int> times;
    for (const SetupMenuDef* item : SetupMenuItems(menus)) {
        if (item->command == Command::ChooseCancelTime) times.push_back(item->argument);
    }
    EXPECT_EQ(times, (std::vector<int>{5, 10, 15, 17, 20, 25}));

    // A value an item offers brings no item of its own.
    TestPlatform t;
    t.WriteLaunchable({"Seconds to cancel =15", "Shortest run in seconds =30", "Idle minutes to power off =60"});
    t.app.ShowSetup();
    for (const ui::MenuId id : {kCancelTimeFromFile, kShortestRunFromFile, kIdleFromFile}) {
        EXPECT_THROW(t.ui.FindWindow("SetupWindow")->MenuCaption(id), std::logic_error) << id;
    }
    EXPECT_EQ(t.ui.FindWindow("SetupWindow")->MenuCaption(k15Seconds), ">15 Seconds");
}

TEST_F(SetupWindowTest, AValueItCannotUseTakesItsDefaultAndEveryOtherValueIsKept) {
    // Each bad line, and the line "Done!" writes for its key instead.
    const std::pair<std::string, std::string> cases[] = {
        {"Skin =" + t.Path("missing.bmp"), "Skin =use default"},
        {"Skin =" + t.Path("notes.bmp"), "Skin =use default"},
        {"Countdown box X position =40000", "Countdown box X position = 0"},
        {"Countdown box italic =maybe", "Countdown box italic =False"},
        {"Countdown box bold font =heavy", "Countdown box bold font =False"},
        {"Countdown box fontsize =big", "Countdown box fontsize =20"},
        {"Seconds to cancel =99999", "Seconds to cancel =25"},
    };
    for (const auto& [bad, written] : cases) {
        TestPlatform p;
        p.Write("skin.bmp", "BM");
        p.Write("notes.bmp", "not a picture");
        Lines lines = {"Program =" + p.Runnable("front.sh"), "Shutdown method =2", "Seconds to cancel =15",
                       "Key to cancel =-1", "Key to re-start =13", "Countdown box X position = 300",
                       "Countdown box Y position = 1200", "Countdown box font =Courier New",
                       "Countdown box italic =True", "Countdown box fontsize =14", "Countdown box bold font =True",
                       "Countdown box color = 255", "Skin =" + p.Path("skin.bmp"), written};
        p.WriteSettings(SettingsLines(lines));
        const Lines expected = p.KeyLines();
        lines.back() = bad;
        p.WriteSettings(SettingsLines(lines));
        p.ui.QueueAnswer(ui::kAnswerOk);
        p.app.ShowSetup();
        ASSERT_EQ(p.ui.messageBoxes().size(), 1u) << bad;
        EXPECT_EQ(p.Box().title, "Settings partly loaded");
        EXPECT_NE(p.Box().prompt.find(bad), std::string::npos) << p.Box().prompt;
        ASSERT_EQ(p.Errors().size(), 1u);
        EXPECT_NE(p.Errors()[0].find(bad), std::string::npos);
        EXPECT_EQ(p.ui.ControlOf("SetupWindow", "countdownBox").GetFont().name, "Courier New") << bad;
        p.ui.ChooseMenu("SetupWindow", kDone);
        EXPECT_EQ(p.KeyLines(), expected) << bad;
    }
}

TEST_F(SetupWindowTest, ADamagedFileIsDiscardedAndSetupEnds) {
    t.ui.QueueAnswer(ui::kAnswerOk);
    Open({"Run Setup = yes", "Program =x"});
    // Put aside as the reader's own tests show.
    EXPECT_FALSE(t.app.HasOpenWindows());
    EXPECT_FALSE(Window().shown());
}

TEST_F(SetupWindowTest, ProgramMethodAndTimeChoicesThenLeavingWithoutSaving) {
    t.Write("front.sh", "#!/bin/sh\n");
    Open();
    t.ui.QueueOpenAnswer(t.Path("front.sh"));
    ASSERT_TRUE(Choose(kChooseProgram));
    const ui::OpenFileRequest& dialog = t.ui.openDialogs().back();
    EXPECT_EQ(dialog.initialFolder, t.folder());
    EXPECT_EQ(dialog.fileName, "");
    EXPECT_EQ(dialog.filter.description, t.files->ProgramFilter().description);
    EXPECT_EQ(Window().spec().caption, t.Path("front.sh"));
    EXPECT_EQ(Caption(kProgramShown), "Launch: " + t.Path("front.sh"));
    // Cancel keeps the choice.
    t.ui.QueueOpenAnswer(std::nullopt);
    Choose(kChooseProgram);
    EXPECT_EQ(Caption(kProgramShown), "Launch: " + t.Path("front.sh"));

    EXPECT_FALSE(Choose(k10Seconds));  // "Time to cancel" is off while nothing shuts down
    Choose(kShutdown);
    EXPECT_EQ(Caption(kShutdown), ">Shutdown");
    EXPECT_EQ(Caption(kNoShutdown), "Dont shut the machine down");
    const auto expectEnabled = [&](bool enabled) {
        for (ui::MenuId menu : {kCancelKeyMenu, kRestartKeyMenu, kCancelTimeMenu, kSkinMenu, kCountdownBoxMenu}) {
            EXPECT_EQ(Enabled(menu), enabled) << menu;
        }
    };
    expectEnabled(true);
    ASSERT_TRUE(Choose(k10Seconds));
    EXPECT_EQ(Caption(k10Seconds), ">10 Seconds");
    EXPECT_EQ(Caption(k25Seconds), "25 Seconds");
    EXPECT_EQ(Control("countdownBox").Text(), "10");
    Choose(kNoShutdown);
    expectEnabled(false);
    EXPECT_EQ(State().cancelSeconds, 10);
    EXPECT_TRUE(t.Events().size() == 2 && t.ui.messageBoxes().empty());

    // Cancel and Exit asks first; other closes save nothing.
    t.ui.QueueAnswer(ui::kAnswerNo);
    Choose(kCancelAndExit);
    EXPECT_EQ(LastBox().prompt, "Your settings will not be saved. Are you sure you want to quit?");
    EXPECT_EQ(LastBox().title, "Quit without saving?");
    EXPECT_TRUE(t.app.HasOpenWindows());
    EXPECT_EQ(State().programPath, t.Path("front.sh"));
    t.ui.QueueAnswer(ui::kAnswerYes);
    Choose(kCancelAndExit);
    EXPECT_FALSE(t.app.HasOpenWindows());
    EXPECT_EQ(t.LastEvents(2), (Lines{"User quit without saving Tamrel.set", "Tamrel ended."}));
    EXPECT_FALSE(t.Exists("tamrel.set"));

    TestPlatform other;
    other.app.ShowSetup();
    other.ui.RequestClose("SetupWindow");
    EXPECT_FALSE(other.app.HasOpenWindows());
    EXPECT_EQ(other.Events().size(), 2u);
}

TEST_F(SetupWindowTest, TheStartWithTheSessionTurnsOnAndOffAtOnceAndAFailureChangesNothing) {
    const std::string caption = "Start Tamrel when Windows starts";
    t.autostart.SetOn(true);
    t.ui.SetDefaultAnswer(ui::kAnswerOk);
    Open();
    EXPECT_EQ(Caption(kAutostart), ">" + caption);
    ASSERT_TRUE(Choose(kAutostart));
    EXPECT_FALSE(t.autostart.IsOn());
    EXPECT_EQ(Caption(kAutostart), caption);
    t.autostart.FailNextChange(RuntimeError(13, "Permission denied"));
    Choose(kAutostart);
    EXPECT_FALSE(t.autostart.IsOn());
    EXPECT_EQ(Caption(kAutostart), caption);
    EXPECT_EQ(LastBox().prompt, "Tamrel could not change " + t.autostart.EntryPath() + ".\rPermission denied");
    EXPECT_EQ(t.Errors(), Lines{" --Could not change " + t.autostart.EntryPath() + ": Permission denied"});
    Choose(kAutostart);
    EXPECT_TRUE(t.autostart.IsOn());
    EXPECT_EQ(t.LastEvents(1), Lines{"Tamrel will start by itself: " + t.autostart.EntryPath() + " written."});
    // Cancel and Exit leaves it as it is.
    Choose(kCancelAndExit);
    EXPECT_TRUE(t.autostart.IsOn());

    // On the console no session runs an entry: the way to start it is told instead.
    TestPlatform console;
    console.ui.SetDesktop(ui::Desktop::Console);
    console.ui.SetDefaultAnswer(ui::kAnswerOk);
    console.app.ShowSetup();
    ASSERT_TRUE(console.ui.ChooseMenu("SetupWindow", kAutostart));
    EXPECT_FALSE(console.autostart.IsOn());
    const headless::MessageBoxCall& told = console.ui.messageBoxes().back();
    EXPECT_EQ(told.title, "Starting on the console");
    EXPECT_NE(told.prompt.find("sudo systemctl enable tamrel@arcade\r"), std::string::npos) << told.prompt;
    EXPECT_NE(told.prompt.find("~/.profile"), std::string::npos);
}

TEST_F(SetupWindowTest, DoneRefusesAProgramTheNextStartCouldNotRun) {
    t.Write("notes.txt", "");
    std::filesystem::permissions(t.Path("notes.txt"), std::filesystem::perms::owner_read);
    Lines refused = {"", t.folder(), t.Path("missing.sh")};
#ifndef _WIN32
    refused.push_back(t.Path("notes.txt"));  // not executable
    refused.push_back(t.Runnable("nohead.sh", "echo no first line\n"));  // no #! line: the system cannot start it
#endif
    for (const std::string& program : refused) {
        TestPlatform p;
        p.app.ShowSetup();
        p.ui.QueueOpenAnswer(program);
        p.ui.ChooseMenu("SetupWindow", kChooseProgram);
        p.ui.QueueAnswer(ui::kAnswerOk);
        p.ui.ChooseMenu("SetupWindow", kDone);
        ASSERT_EQ(p.ui.messageBoxes().size(), 1u) << program;
        EXPECT_NE(p.Box().prompt.find("There is a problem with the program to run. Please double check path and "
                                      "filename."),
                  std::string::npos)
            << p.Box().prompt;
        EXPECT_EQ(p.Box().title, "Problem found!");
        EXPECT_EQ(p.Box().icon, ui::Icon::Critical);
        EXPECT_TRUE(p.app.HasOpenWindows());
        EXPECT_FALSE(p.Exists("tamrel.set"));
        EXPECT_EQ(p.Events().size(), 2u);
    }
}

TEST_F(SetupWindowTest, DoneRefusesABoxBeyondTheFileKeepsTheWindowOnAFailedWriteAndWritesThePreviewOnceItCan) {
    t.Write("skin.bmp", "BM");
    Open();
    t.ui.QueueOpenAnswer(t.Runnable("front.bat"));
    Choose(kChooseProgram);
    Choose(kPowerOff);
    t.ui.QueueOpenAnswer(t.Path("skin.bmp"));
    Choose(kOpenSkin);
    t.ui.SetScreenPixels(3840, 2160);
    t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 0, 0);
    t.ui.DragTo("SetupWindow", "", 40000, 100);  // a 4K screen's right half
    t.ui.QueueAnswer(ui::kAnswerOk);
    Choose(kDone);
    EXPECT_EQ(LastBox().title, "Problem found!");
    EXPECT_NE(LastBox().prompt.find("up or to the left"), std::string::npos);
    EXPECT_FALSE(t.Exists("tamrel.set"));
    EXPECT_TRUE(t.app.HasOpenWindows());

    t.ui.PressMouse("SetupWindow", "countdownBox", ui::kLeftButton, 100, 50);
    t.ui.DragTo("SetupWindow", "", 400, 1250);
    // A folder where the file belongs cannot be replaced, even by root.
    std::filesystem::create_directory(t.Path("tamrel.set"));
    t.ui.QueueAnswer(ui::kAnswerOk);
    Choose(kDone);
    EXPECT_TRUE(t.app.HasOpenWindows());
    EXPECT_EQ(LastBox().title, "Settings not saved!");
    EXPECT_NE(LastBox().prompt.find(t.Path("tamrel.set")), std::string::npos);
    ASSERT_EQ(t.Errors().size(), 1u);
    EXPECT_EQ(t.Errors()[0].rfind(" --Could not write " + t.Path("tamrel.set") + ": ", 0), 0u);
    EXPECT_NE(t.Events().back(), "Tamrel ended.");
    EXPECT_TRUE(std::filesystem::is_directory(t.Path("tamrel.set")));
    for (const auto& entry : std::filesystem::directory_iterator(t.folder())) {
        EXPECT_EQ(entry.path().filename().string().rfind("tamrel.set.", 0), std::string::npos) << entry.path();
    }

    std::filesystem::remove(t.Path("tamrel.set"));
    ASSERT_TRUE(Choose(kDone));
    EXPECT_FALSE(t.app.HasOpenWindows());
    EXPECT_EQ(t.LastEvents(2), (Lines{"Creating new Tamrel.set file", "Tamrel ended."}));
    const Lines written = CrLfLines(t.Read("tamrel.set"));
    EXPECT_EQ(written.at(20), "Program =" + t.Path("front.bat"));
    EXPECT_EQ(written.at(24), "Shutdown method =2");
    EXPECT_EQ(written.at(41), "Countdown box X position = 1200");
    EXPECT_EQ(written.at(43), "Countdown box Y position = 300");
    EXPECT_EQ(written.at(51), "Countdown box bold font =False");
    EXPECT_EQ(written.at(57), "Skin =" + t.Path("skin.bmp"));
}

}  // namespace
}  // namespace tamrel::test
