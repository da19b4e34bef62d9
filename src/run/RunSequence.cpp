#include "run/RunSequence.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/RuntimeError.h"
#include "run/RunWatch.h"
#include "run/StartUpSettings.h"
#include "settings/DamagedSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsParser.h"
#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

constexpr const char* kRefusalPrompt = "The tamrel will not be able to run until you fix the problem.";
constexpr const char* kCorruptPrompt =
    "There is something wrong in the tamrel.set file.\rTamrel.set will be kept as tamrel.bad.\rSetup will run "
    "next time you start The tamrel.";
// How long a program asked to end may take before it is ended by force.
constexpr int kEndGraceMs = 15000;

// How the program ended, for the owner who reads the log after a bad night.
std::string EndText(const ProgramEnd& end) {
    std::string after = " after " + DurationText(end.seconds);
    // A launcher that ended long before what it started.
    if (end.groupSeconds > 0) after += "; what it started ended after " + DurationText(end.groupSeconds);
    after += ".";
    switch (end.how) {
        case ProgramEnd::How::Exited: {
            // Above 0x7FFFFFFF only a Windows status such as 0xC0000005.
            if (end.code > 0x7FFFFFFFu) {
                char hex[16] = {};
                std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(end.code));
                return "Program ended with exit status " + std::string(hex) + after;
            }
            return "Program ended with exit status " + PlainNumber(static_cast<long>(end.code)) + after;
        }
        case ProgramEnd::How::Signalled:
            return "Program ended by signal " + PlainNumber(static_cast<long>(end.code)) + after;
        case ProgramEnd::How::Unknown:
            break;
    }
    return "Program ended" + after;
}

// The same end for a collector: the status or the signal, the whole run.
Event EndEvent(const ProgramEnd& end) {
    Event event = Event::Of(EventKind::ProgramEnded);
    if (end.how == ProgramEnd::How::Exited) event.exitStatus = static_cast<long>(end.code);
    if (end.how == ProgramEnd::How::Signalled) event.signal = static_cast<long>(end.code);
    event.runSeconds = std::lround(std::max(end.seconds, end.groupSeconds));
    return event;
}

}  // namespace

void RunSequence::Run(bool setupAsked) {
    // The first log write already counts as part of the sequence: a program
    // folder that cannot take the log is reported like any other failure
    // rather than ending the program unexplained.
    try {
        logs_.StartRun();
        logs_.Log("Tamrel started.");
        if (setupAsked) {
            logs_.Log("Setup mode asked for on the command line.");
            EnterSetup();
            return;
        }
        ReadAndLaunch();
    } catch (const RuntimeError& error) {
        HandleError(error);
    }
}

void RunSequence::CheckDisplay() {
    if (const std::string display = platform_.ui.CheckDisplay(); !display.empty()) logs_.Log(display);
}

void RunSequence::EnterSetup() {
    CheckDisplay();
    navigator_.ShowSetup();
}

int RunSequence::Ask(const std::string& prompt, const std::string& title, ui::Buttons buttons) {
    return platform_.ui.ShowMessageBox(prompt, buttons, title, ui::Icon::None);
}

bool RunSequence::OfferSetup(const std::string& prompt, const std::string& title) {
    if (Ask(prompt, title, ui::Buttons::OkCancel) != ui::kAnswerCancel) {
        navigator_.ShowSetup();
        return true;
    }
    platform_.ui.ShowMessageBox(kRefusalPrompt, ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    return false;
}

void RunSequence::ReadAndLaunch() {
    FileSystem& files = platform_.files;
    if (files.IsFolder(SettingsFilePath(files))) {
        ReportSettingsFolder(logs_, files, platform_.ui);
        return;
    }
    const SettingsSource source = FindSettings(files);
    if (!files.FileExists(source.path)) {
        SettingsMissing();
        return;
    }
    LogSource(logs_, source);
    const std::optional<std::vector<std::string>> read = ReadSettingsLines(files, source.path);
    if (!read) {
        ReportDamagedSettings(logs_, files, platform_.ui, source, kCorruptPrompt);
        return;
    }

    Settings settings;
    SettingsParser parser(Reader::StartUp, settings, logs_);
    const StartUpKeys keys = ReadStartUpKeys(*read, parser, settings);
    if (keys.setupAsked) {
        EnterSetup();
        return;
    }
    if (!keys.complete) {
        ReportDamagedSettings(logs_, files, platform_.ui, source, kCorruptPrompt);
        return;
    }

    const std::string& program = settings.programPath;
    // The problem report names the last line read, or the folder when the
    // program line was empty.
    const std::string named = program.empty() ? files.SettingsFolder() : keys.lastLine;
    // Tamrel itself as the program would start instances without end.
    if (!files.FileExists(program) || files.IsOwnExecutable(program)) {
        ProgramMissing(named);
        return;
    }

    // Told now, not when the program has ended hours later.
    CheckDisplay();
    const std::string fileName = files.FileNameOnly(program);
    logs_.SetProgram(fileName);
    logs_.Log("Launching program: " + fileName, Event::Of(EventKind::ProgramStarted));
    const std::string folder = program.substr(0, program.size() - fileName.size());
    logs_.Log("Path to the program: " + folder);
    files.MakeDriveCurrent(program);
    files.SetCurrentFolder(folder);
    ReadWaitSettings(*read, keys.next, settings, &logs_);
    LaunchAndWait(program, settings);
}

void RunSequence::SettingsMissing() {
    logs_.AppendErrorLog("--Tamrel.set not found!");
    logs_.Log("Tamrel.set file not found!");
    if (OfferSetup("I could not find the config file, Tamrel.set. You must run setup to correct it",
                   "Tamrel.set not found!")) {
        return;
    }
    logs_.Log("User selected not to set up Tamrel at this time!!");
    logs_.Log("Tamrel ended.");
}

void RunSequence::ProgramMissing(const std::string& named) {
    logs_.AppendErrorLog("--Problem with program or its path: " + named);
    logs_.Log("Problem trying to launch program. The problem is in Program = line of tamrel.set.");
    if (OfferSetup("There is a problem with the program you are trying to launch, or it's path. You must run "
                   "setup to correct it",
                   "Tamrel has encountered a problem!")) {
        return;
    }
    logs_.Log("User chose not to run setup.");
}

void RunSequence::HandleError(const RuntimeError& error) {
    const std::string number = PlainNumber(error.Number());
    const std::string description = Printable(error.Description());
    platform_.ui.ShowMessageBox("The Tamrel has encountered an error: " + description + " ERR# " + number,
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
    // The failure may have been the logs themselves (a read-only folder):
    // setup must still load the user's settings rather than lose them.
    logs_.DropFailedWrites();
    navigator_.ShowSetup();
}

void RunSequence::LaunchAndWait(const std::string& programPath, const Settings& settings) {
    const std::string fileName = platform_.files.FileNameOnly(programPath);
    Processes& processes = platform_.processes;
    const ProcessId id = processes.StartProgram(fileName, WindowStyle::Normal);
    if (id != 0) {
        const bool goesOff = settings.shutdownMethod != 0;
        const int idleMinutes = goesOff ? settings.idleMinutes : 0;
        // Always watched: a shutdown from outside needs no setting.
        RunWatch watch(logs_, fileName, idleMinutes, goesOff ? settings.closingTime : kNoClosingTime);
        ProgramEnd end = processes.WaitForProcess(id, &watch);
        logs_.DropFailedWrites();
        const RunWatch::Reason reason = end.watchDue ? watch.reason() : RunWatch::Reason::None;
        if (reason == RunWatch::Reason::SystemShutdown) {
            end = EndProgramAsked(id, fileName, watch.graceMs());
        } else if (reason != RunWatch::Reason::None) {
            end = EndProgramAsked(id, fileName, kEndGraceMs);
        }
        if (end.stopRequest != 0) {
            logs_.Log("Tamrel was asked to stop (signal " + PlainNumber(end.stopRequest) + ") while " + fileName +
                      " was running.");
            return;
        }
        logs_.Log("Program (" + fileName + ") finished!");
        logs_.Log(EndText(end), EndEvent(end));
        // The machine is going off already: no screen, nothing in its way.
        if (reason == RunWatch::Reason::SystemShutdown) {
            logs_.Log("Tamrel ended.");
            return;
        }
        RunReport run{fileName, std::max(end.seconds, end.groupSeconds), 0};
        if (reason == RunWatch::Reason::Idle) run.idleMinutes = idleMinutes;
        if (reason == RunWatch::Reason::ClosingTime) run.closingTime = settings.closingTime;
        // The run lasted as long as anything it started.
        CheckMarkerFile(run);
        return;
    }
    logs_.AppendErrorLog("--Program did not launch properly: " + programPath);
    logs_.Log("There was a problem launching the program!!");
    platform_.ui.ShowMessageBox("The Tamrel had a problem running the program. Check tamrel.txt for more info.",
                                ui::Buttons::Ok, ui::kAppTitle, ui::Icon::None);
    logs_.Log("Tamrel ended.");
}

ProgramEnd RunSequence::EndProgramAsked(ProcessId id, const std::string& fileName, int graceMs) {
    const ProgramEnd end = platform_.processes.EndProgram(id, graceMs);
    if (end.forced) {
        logs_.TryLog(fileName + " did not end within " + PlainNumber(graceMs / 1000) +
                     " seconds of being asked, so it was ended by force.");
    }
    return end;
}

void RunSequence::CheckMarkerFile(const RunReport& run) {
    FileSystem& files = platform_.files;
    // The first marker found ends the run; each one looked at is named.
    for (const std::string& marker : files.MarkerFilePaths()) {
        switch (files.CheckMarkerFile(marker)) {
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
    }
    navigator_.ShowShutdownScreen(run);
}

}  // namespace tamrel
