#include "platform/headless/HeadlessServices.h"

namespace tamrel::headless {

std::unique_ptr<FolderLock> HeadlessProcesses::LockProgramFolder(const std::string&, int) {
    if (folderHeld_) return nullptr;
    return std::make_unique<FolderLock>();
}

ProcessId HeadlessProcesses::StartProgram(const std::string& fileName, WindowStyle style) {
    starts_.push_back({fileName, style});
    if (startFailure_) {
        RuntimeError failure = *startFailure_;
        startFailure_.reset();
        throw failure;
    }
    if (!results_.empty()) {
        const ProcessId id = results_.front();
        results_.pop_front();
        return id;
    }
    return nextId_++;
}

// Not watched yet: the watch is ignored.
ProgramEnd HeadlessProcesses::WaitForProcess(ProcessId id, ProgramWatch*) {
    waits_.push_back(id);
    if (waitHook_) waitHook_(id);
    return end_;
}

ProgramEnd HeadlessProcesses::EndProgram(ProcessId, int) { return end_; }

void HeadlessProcesses::RestartTamrel(const std::string& programFolder) {
    restarts_.push_back(programFolder);
    if (restartFailure_) throw *restartFailure_;
}

}  // namespace tamrel::headless
