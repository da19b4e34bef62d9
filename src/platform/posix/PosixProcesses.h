#pragma once
// Programs started with posix_spawn: "./NAME" from the current folder, no
// shell and no search path, in a process group of their own that is waited
// for until its last process has ended.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/Processes.h"
#include "platform/posix/GroupWait.h"
#include "platform/posix/LogindShutdownWatch.h"

namespace tamrel {

class PosixProcesses : public Processes {
public:
    // `executable`: what a re-start runs; empty means the program folder's
    // file of the running program's name.
    explicit PosixProcesses(std::string executable = {});

    std::unique_ptr<FolderLock> LockProgramFolder(const std::string& folder, int waitMs) override;
    ProcessId StartProgram(const std::string& fileName, WindowStyle style) override;
    ProgramEnd WaitForProcess(ProcessId id, ProgramWatch* watch = nullptr) override;
    ProgramEnd EndProgram(ProcessId id, int graceMs) override;
    void RestartTamrel(const std::string& programFolder) override;

private:
    std::string executable_;
    std::string executableName_;
    GroupWait& WaitFor(ProcessId id);
    // Once the program and its group have ended, a power-off from outside
    // need wait no more.
    void ReleaseIfEnded(const GroupWait& wait);

    std::chrono::steady_clock::time_point started_;
    std::optional<GroupWait> wait_;
    // Held from the program's start until its run has ended.
    std::unique_ptr<LogindShutdownWatch> outside_;
};

// Date and time in the user's locale: the short date, a blank, the time.
class PosixClock : public Clock {
public:
    std::string NowText() override;
};

}  // namespace tamrel
