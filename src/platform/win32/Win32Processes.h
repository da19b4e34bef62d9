#pragma once
// Programs and batch files started through the shell, and the wait for them
// and for all they start.

#include <string>

#include "platform/Processes.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel {

namespace win32 {
class WaitLimit;
}

class Win32Processes : public Processes {
public:
    std::unique_ptr<FolderLock> LockProgramFolder(const std::string& folder, int waitMs) override;
    ProcessId StartProgram(const std::string& fileName, WindowStyle style) override;
    ProgramEnd WaitForProcess(ProcessId id, ProgramWatch* watch = nullptr) override;
    ProgramEnd EndProgram(ProcessId id, int graceMs) override;
    void RestartTamrel(const std::string& programFolder) override;

private:
    void HoldInJob();
    double Since() const;
    // Waits for the program, then for all it started; false when `limit`
    // stopped the wait first. What is known of the end is kept in end_.
    bool Await(win32::WaitLimit& limit);
    // Posts WM_CLOSE to the top-level windows of the program's processes.
    void AskToClose() const;
    ProgramEnd Finish();
    // The session ends: the program is asked to close and waited for, for
    // as long as the system lets it.
    void EndBeforeSession();

    unsigned long long startedMs_ = 0;
    // The program last started, kept from its start: its id could be
    // reused, and re-opening it may be refused (an elevated program).
    ProcessId id_ = 0;
    win32::KernelHandle process_;
    // Holds the program and what it starts; its port tells when the last
    // of them has ended. None where the system refuses one.
    win32::KernelHandle job_;
    win32::KernelHandle port_;
    // The program itself has ended, as end_ tells; what it started may not.
    bool programEnded_ = false;
    // So has all it started: nothing more will come from the port.
    bool groupEnded_ = false;
    // Its file name, as the system is told why it must wait.
    std::string fileName_;
    ProgramEnd end_;
};

}  // namespace tamrel
