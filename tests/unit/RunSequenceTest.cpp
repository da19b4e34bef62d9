#include "TestPlatform.h"
#include "setup/SetupMenus.h"

namespace tamrel::test {
namespace {

using RunSequence = PlatformTest;

TEST_F(RunSequence, ANormalLaunchWaitsThenHandsOverToTheShutdownScreen) {
    t.WriteLaunchable({"Shutdown method =0"});
    bool windowsDuringWait = true;
    t.processes.OnWait([&](ProcessId) { windowsDuringWait = t.ui.started() || t.ui.FindWindow("ShutdownScreen"); });
    t.app.Start();

    ASSERT_EQ(t.processes.starts().size(), 1u);
    EXPECT_EQ(t.processes.starts()[0].fileName, "front.exe");
    EXPECT_EQ(t.processes.starts()[0].style, WindowStyle::Normal);
    EXPECT_EQ(t.processes.waits(), std::vector<ProcessId>{4242});
    EXPECT_FALSE(windowsDuringWait);
    ASSERT_TRUE(t.Shown("ShutdownScreen"));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(t.folder()));
    EXPECT_EQ(t.Events(), (Lines{"Tamrel started.", "In Tamrel.set, Run Setup = no",
                                 "Launching program: front.exe", "Path to the program: " + t.Path(""),
                                 "Program (front.exe) finished!", "Program ended with exit status 0 after 1 h 0 min.",
                                 t.marker() + " not found.",
                                 "In Tamrel.set, Shutdown method =0"}));
    EXPECT_TRUE(t.ui.messageBoxes().empty());
    EXPECT_FALSE(t.app.HasOpenWindows());
}

// A launcher that ends at once while what it started plays on for a minute:
// the run lasted the minute, not a failed run.
TEST_F(RunSequence, ALauncherIsTimedByWhatItStartedToo) {
    t.WriteLaunchable({"Shutdown method =2", "Seconds to cancel =5", "Shortest run in seconds =10"});
    t.processes.EndProgramWith({0, ProgramEnd::How::Exited, 0, 0.2, 60});
    t.app.Start();
    EXPECT_EQ(t.Logged("Program ended with exit status 0 after 0 seconds; what it started ended after 1 min 0 s."), 1);
    t.ui.Advance(6000);
    EXPECT_TRUE(t.Errors().empty());
    EXPECT_EQ(t.power.requests(), std::vector<PowerAction>{PowerAction::PowerOff});
}

TEST_F(RunSequence, TheMarkerFileOrAStopRequestDuringTheWaitEndsTheRunWithoutAScreen) {
    t.WriteLaunchable({"Shutdown method =0"});
    // Created while the program runs; only its presence at the end counts.
    t.processes.OnWait([&](ProcessId) { t.Write("holdmark.tes", ""); });
    t.app.Start();
    EXPECT_FALSE(t.Shown("ShutdownScreen"));
    EXPECT_EQ(t.LastEvents(2),
              (Lines{t.marker() + " is present, so tamrel will end without shutting PC down.", "Tamrel ended."}));

    TestPlatform p;
    p.WriteLaunchable();
    p.processes.StopDuringWait(15);
    p.app.Start();
    EXPECT_FALSE(p.Shown("ShutdownScreen"));
    EXPECT_EQ(p.LastEvents(1), Lines{"Tamrel was asked to stop (signal 15) while front.exe was running."});
#ifndef _WIN32
    // A marker that does not count is named and the run goes on.
    TestPlatform q;
    q.WriteLaunchable({"Shutdown method =0"});
    std::filesystem::create_directory(q.marker());
    q.app.Start();
    EXPECT_TRUE(q.Shown("ShutdownScreen"));
    EXPECT_EQ(q.Logged(q.marker() + " is not a plain file of this user, so it was ignored."), 1);
    EXPECT_TRUE(q.ui.messageBoxes().empty());
#endif
}

TEST_F(RunSequence, WithoutADisplayNothingIsLaunchedAndTheEndIsToldAtOnce) {
    t.WriteLaunchable({"Shutdown method =2"});
    t.ui.SetDisplayMissing("no display is set (WAYLAND_DISPLAY and DISPLAY are empty)");
    EXPECT_EQ(t.app.Run(), 1);
    EXPECT_TRUE(t.processes.starts().empty());
    const std::string why = "Tamrel could not open the display: no display is set (WAYLAND_DISPLAY and DISPLAY are empty)";
    EXPECT_EQ(t.Events(), (Lines{"Tamrel started.", "In Tamrel.set, Run Setup = no", why}));
    EXPECT_EQ(t.Errors(), Lines{" --" + why});
    EXPECT_FALSE(t.ui.started());

    // A screen the user may not use is told as it is, with what to do.
    TestPlatform refused;
    refused.WriteLaunchable({"Shutdown method =2"});
    const std::string text = "Tamrel may not draw on the console: arcade may not open /dev/dri/card0. Add ...";
    refused.ui.SetDisplayRefused(text);
    EXPECT_EQ(refused.app.Run(), 1);
    EXPECT_TRUE(refused.processes.starts().empty());
    EXPECT_EQ(refused.LastEvents(1), Lines{text});
    EXPECT_EQ(refused.Errors(), Lines{" --" + text});

    // The display chosen is logged before the launch.
    TestPlatform console;
    console.WriteLaunchable({"Shutdown method =0"});
    console.ui.SetDisplayLine("Drawing on the console: /dev/dri/card0, 1280x800.");
    console.app.Start();
    EXPECT_EQ(console.Events()[2], "Drawing on the console: /dev/dri/card0, 1280x800.");
    EXPECT_EQ(console.Events()[3], "Launching program: front.exe");

    // And before setup opens, asked for or by the file.
    for (const bool asked : {true, false}) {
        TestPlatform setup;
        setup.WriteLaunchable({"Run Setup = yes"});
        setup.ui.SetDisplayLine("Drawing on the console: /dev/dri/card0, 1280x800.");
        Application(setup.platform, asked).Start();
        const Lines events = setup.Events();
        ASSERT_GE(events.size(), 4u) << asked;
        EXPECT_EQ(Lines(events.begin() + 2, events.begin() + 4),
                  (Lines{"Drawing on the console: /dev/dri/card0, 1280x800.", "Entering setup mode."}));
    }
}

TEST_F(RunSequence, AMissingFileOffersSetupAndDecliningEndsTheProgram) {
    t.Start({ui::kAnswerOk});
    EXPECT_TRUE(t.Shown("SetupWindow"));
    EXPECT_EQ(t.Box(0).prompt, "I could not find the config file, Tamrel.set. You must run setup to correct it");
    EXPECT_EQ(t.Box(0).title, "Tamrel.set not found!");
    EXPECT_EQ(t.Box(0).buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(t.Box(0).icon, ui::Icon::None);
    EXPECT_EQ(t.Events(), (Lines{"Tamrel started.", "Tamrel.set file not found!", "Entering setup mode.",
                                 "Tamrel.set not found. Creating default settings."}));
    EXPECT_EQ(t.Errors(), Lines{"--Tamrel.set not found!"});
    EXPECT_TRUE(t.app.HasOpenWindows());

    TestPlatform p;
    p.Start({ui::kAnswerCancel, ui::kAnswerOk});
    EXPECT_FALSE(p.Shown("SetupWindow"));
    ASSERT_EQ(p.ui.messageBoxes().size(), 2u);
    EXPECT_EQ(p.Box(1).prompt, "The tamrel will not be able to run until you fix the problem.");
    EXPECT_EQ(p.Box(1).title, "tamrel");
    EXPECT_EQ(p.Box(1).buttons, ui::Buttons::Ok);
    EXPECT_EQ(p.Events(), (Lines{"Tamrel started.", "Tamrel.set file not found!",
                                 "User selected not to set up Tamrel at this time!!", "Tamrel ended."}));
}

TEST_F(RunSequence, AFolderInTheSettingsFilesPlaceIsNamedAsSuch) {
    std::filesystem::create_directory(t.Path("tamrel.set"));
    t.Start({ui::kAnswerOk});
    ASSERT_EQ(t.ui.messageBoxes().size(), 1u);
    EXPECT_EQ(t.Box(0).title, "Tamrel.set is a folder!");
    EXPECT_NE(t.Box(0).prompt.find(t.Path("tamrel.set")), std::string::npos);
    EXPECT_EQ(t.Errors(), Lines{"--Tamrel.set is a folder: " + t.Path("tamrel.set")});
    EXPECT_EQ(t.Events().back(), "Tamrel ended.");
    EXPECT_FALSE(t.app.HasOpenWindows());
}

TEST_F(RunSequence, TheReadingStopsAtRunSetupYesInAnyCaseOrAfterTheSecondKeyLine) {
    for (const std::string line : {"Run Setup = yes", "RUN SETUP = YES", "Run Setup =yes"}) {
        TestPlatform p;
        p.WriteSettings({line, "Program =nothing"});
        p.ui.SetDefaultAnswer(ui::kAnswerOk);  // setup then finds the file incomplete
        p.app.Start();
        const Lines events = p.Events();
        EXPECT_EQ(Lines(events.begin(), events.begin() + 3),
                  (Lines{"Tamrel started.", "In Tamrel.set, " + line, "Entering setup mode."}));
    }
    // Asked for on the command line, setup opens without reading the file.
    t.WriteLaunchable({"Shutdown method =0"});
    Application asked(t.platform, true);
    asked.Start();
    EXPECT_TRUE(t.Open("SetupWindow"));
    EXPECT_TRUE(t.processes.starts().empty());
    EXPECT_EQ(t.Events().at(1), "Setup mode asked for on the command line.");
    EXPECT_EQ(t.Events().at(3), "In tamrel.set, Run Setup = no");  // setup's own reading

    TestPlatform two;
    two.Write("second.exe", "MZ");
    two.WriteSettings({"Program =" + two.Runnable("front.exe"), " Run setup = yes", "Run Setup = yes please",
                       "Program =" + two.Path("second.exe"), "Run Setup = yes"});
    two.processes.QueueStartResult(0);
    two.Start({ui::kAnswerOk});
    EXPECT_FALSE(two.Shown("SetupWindow"));
    ASSERT_EQ(two.processes.starts().size(), 1u);
    // "yes please" is a key line that does not ask for setup, and counts.
    EXPECT_EQ(two.processes.starts()[0].fileName, "front.exe");
}

TEST_F(RunSequence, AFileWithFewerThanTwoKeyLinesIsKeptAsBadAndRemoved) {
    for (const Lines& content : {Lines{}, Lines{"Run Setup = no"}, Lines{" Program =x", "program=x"}}) {
        TestPlatform p;
        p.WriteSettings(content);
        p.Start({ui::kAnswerOk});
        // The file goes aside as the setup reader's does, with the run's own words.
        ASSERT_EQ(p.ui.messageBoxes().size(), 1u);
        EXPECT_EQ(p.Box().prompt,
                  "There is something wrong in the tamrel.set file.\rTamrel.set will be kept as tamrel.bad.\rSetup will "
                  "run next time you start The tamrel.");
        EXPECT_FALSE(p.Shown("SetupWindow"));
    }
}

TEST_F(RunSequence, AProgramThatDoesNotExistOffersSetup) {
    // A blank after the "=" is part of the path.
    t.WriteLaunchable({"Program = " + t.Path("front.exe")});
    t.Start({ui::kAnswerOk});
    ASSERT_TRUE(t.app.HasOpenWindows());
    // Setup reads the value trimmed, so the user sees the program to mend.
    EXPECT_EQ(t.ui.FindWindow("SetupWindow")->MenuCaption(setup::kProgramShown),
              "Program to launch: " + t.Path("front.exe"));
    EXPECT_EQ(t.Box(0).title, "Tamrel has encountered a problem!");
    EXPECT_EQ(t.Box(0).prompt,
              "There is a problem with the program you are trying to launch, or it's path. You must run setup "
              "to correct it");
    EXPECT_EQ(t.Errors(), Lines{"--Problem with program or its path: Program = " + t.Path("front.exe")});
    EXPECT_TRUE(t.Logged("Problem trying to launch program. The problem is in Program = line of tamrel.set."));
    EXPECT_TRUE(t.processes.starts().empty());
}

TEST_F(RunSequence, TamrelItselfOrAnEmptyProgramIsRefusedAndDecliningEndsWithoutEndedLine) {
    const std::string self = TestProgram();
    t.WriteSettings(SettingsLines({"Program =" + self}));
    TestPlatform empty;
    empty.WriteSettings({"Run Setup = no", "Run Setup = no"});
    for (TestPlatform* p : {&t, &empty}) {
        p->Start({ui::kAnswerCancel, ui::kAnswerOk});
        EXPECT_TRUE(p->processes.starts().empty());
        EXPECT_FALSE(p->Shown("SetupWindow"));
        EXPECT_EQ(p->Box().title, "Tamrel has encountered a problem!");
        EXPECT_EQ(p->LastEvents(1), Lines{"User chose not to run setup."});
    }
    EXPECT_EQ(t.Errors(), Lines{"--Problem with program or its path: Program =" + self});
    EXPECT_EQ(empty.Errors(), Lines{"--Problem with program or its path: " + empty.folder()});
}

TEST_F(RunSequence, AStartWithoutAProcessIsReportedAndAnErrorOffersSetup) {
    t.WriteLaunchable({"Shutdown method =0"});
    t.processes.FailNextStart(RuntimeError(8, "Exec format error"));
    t.Start({ui::kAnswerOk, ui::kAnswerYes});
    EXPECT_EQ(t.Box(0).prompt, "The Tamrel has encountered an error: Exec format error ERR# 8");
    EXPECT_EQ(t.Box(0).title, "tamrel");
    EXPECT_EQ(t.Box(1).prompt, "Do you want to run setup?");
    EXPECT_EQ(t.Box(1).title, "Run Setup?");
    EXPECT_EQ(t.Box(1).buttons, ui::Buttons::YesNo);
    EXPECT_EQ(t.Errors(), Lines{"--Error encountered: 8: Exec format error"});
    const Lines events = t.Events();
    const auto setup = std::find(events.begin(), events.end(), "Entering setup mode.");
    ASSERT_NE(setup, events.end());
    EXPECT_EQ(*(setup - 1), "User chose to run setup.");
    EXPECT_TRUE(t.app.HasOpenWindows());  // what setup loads is checked after a failed log write

    TestPlatform p;
    p.WriteLaunchable();
    p.processes.FailNextStart(RuntimeError(-5, "Odd"));
    p.Start({ui::kAnswerOk, ui::kAnswerNo});
    EXPECT_EQ(p.Errors(), Lines{"--Error encountered: -5: Odd"});
    EXPECT_EQ(p.LastEvents(2), (Lines{"User chose not to run setup at this time.", "Tamrel ended."}));
    EXPECT_FALSE(p.Shown("SetupWindow"));

    TestPlatform none;
    none.WriteLaunchable({"Shutdown method =0"});
    none.processes.QueueStartResult(0);
    none.Start({ui::kAnswerOk});
    EXPECT_TRUE(none.processes.waits().empty());
    EXPECT_EQ(none.Box(0).prompt, "The Tamrel had a problem running the program. Check tamrel.txt for more info.");
    EXPECT_EQ(none.Errors(), Lines{"--Program did not launch properly: " + none.Path("front.exe")});
    EXPECT_EQ(none.LastEvents(2), (Lines{"There was a problem launching the program!!", "Tamrel ended."}));
    EXPECT_FALSE(none.Shown("ShutdownScreen"));
}

TEST_F(RunSequence, SetupAfterAFailedLogWriteIsOfferedAndStillLoadsTheFile) {
    t.WriteLaunchable({"Shutdown method =2", "Seconds to cancel =15"});
    const std::string settings = t.Read("tamrel.set");
    // A folder where the event log belongs: no line can be written.
    std::filesystem::create_directory(t.Path("talog1.txt"));
    t.Start({ui::kAnswerOk, ui::kAnswerYes});
    ASSERT_EQ(t.ui.messageBoxes().size(), 2u);
    EXPECT_EQ(t.Box(0).prompt.rfind("The Tamrel has encountered an error: ", 0), 0u);
    EXPECT_EQ(t.Errors().size(), 1u);
    ASSERT_TRUE(t.Open("SetupWindow"));
    headless::HeadlessWindow& setup = *t.ui.FindWindow("SetupWindow");
    EXPECT_EQ(setup.MenuCaption(setup::kPowerOff), ">Power off");
    EXPECT_EQ(setup.MenuCaption(setup::k15Seconds), ">15 Seconds");
    EXPECT_EQ(t.Read("tamrel.set"), settings);
}

TEST_F(RunSequence, AFullDiskOnceTheProgramEndedChangesNothingTheUserConfigured) {
    for (const bool cancel : {false, true}) {
        TestPlatform p;
        p.WriteLaunchable({"Shutdown method =2", "Seconds to cancel =5"});
        // While the program runs, both logs become impossible to write.
        p.processes.OnWait([&](ProcessId) {
            std::filesystem::remove(p.Path("talog1.txt"));
            for (const char* log : {"talog1.txt", "tamrel.txt"}) std::filesystem::create_directory(p.Path(log));
        });
        p.app.Start();
        ASSERT_TRUE(p.Open("ShutdownScreen"));
        if (cancel) {
            p.ui.PressKey("ShutdownScreen", 27);
            EXPECT_FALSE(p.app.HasOpenWindows());
            EXPECT_TRUE(p.power.requests().empty());
        } else {
            p.ui.Advance(5000);
            EXPECT_EQ(p.power.requests(), std::vector<PowerAction>{PowerAction::PowerOff});
        }
        EXPECT_TRUE(p.ui.messageBoxes().empty());
    }
}

TEST_F(RunSequence, ASecondInstanceInTheFolderSaysSoAndTouchesNoLog) {
    t.WriteLaunchable({"Shutdown method =0"});
    t.processes.SetFolderHeld(true);
    t.Start({ui::kAnswerOk});
    EXPECT_EQ(t.Box(0).prompt, "Tamrel is already running in this folder.");
    EXPECT_FALSE(t.Exists("talog1.txt"));
    EXPECT_TRUE(t.processes.starts().empty());
    EXPECT_FALSE(t.app.HasOpenWindows());
}

}  // namespace
}  // namespace tamrel::test
