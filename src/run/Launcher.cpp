#include "run/Launcher.h"

#include "platform/RuntimeError.h"
#include "run/Application.h"
#include "settings/DamagedSettings.h"
#include "settings/SettingsFile.h"
#include "settings/Text.h"

namespace tamrel {

namespace {

constexpr const char* kRefusalPrompt = "The tamrel will not be able to run until you fix the problem.";
constexpr const char* kCorruptPrompt =
    "There is something wrong in the tamrel.set file.\rTamrel.set will be deleted.\rSetup will run "
    "next time you start The tamrel.";

}  // namespace

Launcher::Launcher(Application& app) : app_(app), logs_(app.logs()) {}

void Launcher::Load() {
    // The first log write already counts as part of the sequence: a program
    // folder that cannot take the log is reported like any other failure
    // rather than ending the program unexplained.
    try {
        logs_.firstLogOfRun = true;
        logs_.Log("Tamrel started.");
        RunSequence();
    } catch (const RuntimeError& error) {
        HandleError(error);
    }
}

int Launcher::Ask(const std::string& prompt, const std::string& title, ui::Buttons buttons) {
    const int answer = app_.platform().ui.ShowMessageBox(prompt, buttons, title, ui::Icon::None);
    Answer = PlainNumber(answer);
    return answer;
}

void Launcher::Refuse() {
    app_.platform().ui.ShowMessageBox(kRefusalPrompt, ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
}

void Launcher::RunSequence() {
    FileSystem& files = app_.platform().files;
    SettingsPath = SettingsFilePath(files);
    if (!files.FileExists(SettingsPath)) {
        SettingsMissing();
        return;
    }

    const std::optional<std::vector<std::string>> read = ReadSettingsLines(files);
    if (!read) {
        DiscardDamagedSettings(logs_, files, app_.platform().ui, kCorruptPrompt);
        return;
    }
    const std::vector<std::string>& lines = *read;
    CurrentLine.clear();
    KeyLineCount = 0;
    for (std::size_t next = 0; next < lines.size() && KeyLineCount != 2; ++next) {
        CurrentLine = lines[next];
        if (IsKeyLine(CurrentLine, key::kRunSetup)) {
            ++KeyLineCount;
            logs_.Log("In Tamrel.set, " + CurrentLine);
            if (Trim(LowerCase(KeyValue(CurrentLine, key::kRunSetup))) == "yes") {
                app_.ShowSetupWindow();
                return;
            }
        }
        if (IsKeyLine(CurrentLine, key::kProgram)) {
            ProgramPath = KeyValue(CurrentLine, key::kProgram);
            ++KeyLineCount;
        }
    }

    if (KeyLineCount < 2) {
        DiscardDamagedSettings(logs_, files, app_.platform().ui, kCorruptPrompt);
        return;
    }

    if (ProgramPath.empty()) CurrentLine = files.ProgramFolder();
    // Tamrel itself as the program would start instances without end.
    if (!files.FileExists(ProgramPath) || files.IsOwnExecutable(ProgramPath)) {
        ProgramMissing();
        return;
    }

    const std::string fileName = FileNameOnly(ProgramPath);
    logs_.Log("Launching program: " + fileName);
    const std::string folder = ProgramPath.substr(0, ProgramPath.size() - fileName.size());
    logs_.Log("Path to the program: " + folder);
    files.MakeDriveCurrent(ProgramPath);
    files.SetCurrentFolder(folder);
    LaunchAndWait(fileName);
}

void Launcher::SettingsMissing() {
    logs_.AppendErrorLog("--Tamrel.set not found!");
    logs_.Log("Tamrel.set file not found!");
    const int answer = Ask(
        "I could not find the config file, Tamrel.set. You must run setup to correct it",
        "Tamrel.set not found!", ui::Buttons::OkCancel);
    if (answer != ui::kAnswerCancel) {
        app_.ShowSetupWindow();
        return;
    }
    Refuse();
    logs_.Log("User selected not to set up Tamrel at this time!!");
    logs_.Log("Tamrel ended.");
}

void Launcher::ProgramMissing() {
    logs_.AppendErrorLog("--Problem with program or its path: " + CurrentLine);
    logs_.Log("Problem trying to launch program. The problem is in Program = line of tamrel.set.");
    const int answer = Ask(
        "There is a problem with the program you are trying to launch, or it's path. You must run "
        "setup to correct it",
        "Tamrel has encountered a problem!", ui::Buttons::OkCancel);
    if (answer != ui::kAnswerCancel) {
        app_.ShowSetupWindow();
        return;
    }
    Refuse();
    logs_.Log("User chose not to run setup.");
}

void Launcher::HandleError(const RuntimeError& error) {
    const std::string number = PlainNumber(error.Number());
    const std::string description = error.Description();
    ui::Toolkit& ui = app_.platform().ui;
    ui.ShowMessageBox("The Tamrel has encountered an error: " + description + " ERR# " + number,
                      ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    // The logs may be what failed; the user still gets the choice.
    logs_.TryLog("Encountered error# " + number + ": " + description);
    logs_.TryAppendErrorLog("--Error encountered: " + number + ": " + description);
    const int answer = Ask("Do you want to run setup?", "Run Setup?", ui::Buttons::YesNo);
    if (answer == ui::kAnswerNo) {
        logs_.TryLog("User chose not to run setup at this time.");
        logs_.TryLog("Tamrel ended.");
        return;
    }
    logs_.TryLog("User chose to run setup.");
    app_.setupAfterError = true;
    app_.ShowSetupWindow();
}

std::string Launcher::FileNameOnly(const std::string& sPath) {
    return app_.platform().files.FileNameOnly(sPath);
}

void Launcher::LaunchAndWait(const std::string& fileName) {
    Processes& processes = app_.platform().processes;
    const ProcessId id = processes.StartProgram(fileName, WindowStyle::Normal);
    if (id != 0) {
        const int stop = processes.WaitForProcess(id);
        logs_.dropFailedWrites = true;
        if (stop != 0) {
            logs_.Log("Tamrel was asked to stop (signal " + PlainNumber(stop) + ") while " + FileNameOnly(ProgramPath) +
                      " was running.");
            return;
        }
        logs_.Log("Program (" + FileNameOnly(ProgramPath) + ") finished!");
        CheckMarkerFile();
        return;
    }
    logs_.AppendErrorLog("--Program did not launch properly: " + ProgramPath);
    logs_.Log("There was a problem launching the program!!");
    app_.platform().ui.ShowMessageBox(
        "The Tamrel had a problem running the program. Check tamrel.txt for more info.",
        ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    logs_.Log("Tamrel ended.");
}

void Launcher::CheckMarkerFile() {
    FileSystem& files = app_.platform().files;
    const std::string marker = files.MarkerFilePath();
    switch (files.CheckMarkerFile()) {
        case MarkerState::Present:
            logs_.Log(marker + " is present, so tamrel will end without shutting PC down.");
            logs_.Log("Tamrel ended.");
            return;
        case MarkerState::Ignored:
            logs_.Log(marker + " is not a plain file of this user, so it was ignored.");
            break;
        case MarkerState::Absent:
            logs_.Log(marker + " not found.");
            break;
    }
    app_.ShowShutdownScreen();
}

}  // namespace tamrel
