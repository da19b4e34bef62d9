#pragma once
// Programs and batch files started through the shell, and the wait for them.

#include <string>

#include "platform/Processes.h"

namespace tamrel {

class Win32Processes : public Processes {
public:
    std::unique_ptr<FolderLock> LockProgramFolder(const std::string& folder, int waitMs) override;
    ProcessId StartProgram(const std::string& fileName, WindowStyle style) override;
    ProgramEnd WaitForProcess(ProcessId id) override;
    void RestartTamrel(const std::string& programFolder) override;

private:
    unsigned long long startedMs_ = 0;
};

}  // namespace tamrel
