#pragma once
// The start of every run, never shown: it decides between run mode and
// setup mode, launches the configured program, waits for it and hands over
// to the shutdown screen.

#include <string>
#include <vector>

#include "log/Logs.h"
#include "platform/Navigator.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

namespace tamrel {

class RuntimeError;

class RunSequence {
public:
    RunSequence(Platform& platform, Logs& logs, Navigator& navigator)
        : platform_(platform), logs_(logs), navigator_(navigator) {}

    // `setupAsked`: straight to setup mode, as "Run Setup = yes" would.
    void Run(bool setupAsked = false);

private:
    void ReadAndLaunch();
    // The display the windows will use, checked and told before the first
    // window (run mode's screen, or setup) so a failure is told at once.
    void CheckDisplay();
    void EnterSetup();
    void SettingsMissing();
    void ProgramMissing(const std::string& named);
    void HandleError(const RuntimeError& error);
    void LaunchAndWait(const std::string& programPath, const Settings& settings);
    // The program asked to end, and ended by force after `graceMs`.
    ProgramEnd EndProgramAsked(ProcessId id, const std::string& fileName, int graceMs);
    void CheckMarkerFile(const RunReport& run);
    int Ask(const std::string& prompt, const std::string& title, ui::Buttons buttons);
    // OK opens setup (true); Cancel is told that Tamrel cannot run so.
    bool OfferSetup(const std::string& prompt, const std::string& title);

    Platform& platform_;
    Logs& logs_;
    Navigator& navigator_;
};

}  // namespace tamrel
