#include "platform/headless/HeadlessServices.h"

#include <algorithm>

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

ProgramEnd HeadlessProcesses::WaitForProcess(ProcessId id, ProgramWatch* watch) {
    waits_.push_back(id);
    watched_.push_back(watch ? watch->IdleMinutes() : 0);
    if (waitHook_) waitHook_(id);
    if (!watch || !RunScript(*watch)) return end_;
    ProgramEnd running;
    running.seconds = static_cast<double>(dueAt_) / 1000;
    running.watchDue = true;
    return running;
}

bool HeadlessProcesses::AskUntil(ProgramWatch& watch, SteadyMs& now, SteadyMs until) {
    for (SteadyMs due = watch.NextDue(); due != kNoDeadline && due <= until; due = watch.NextDue()) {
        // A watch that names a past time again is asked a moment later.
        now = std::max(now + (dueCalls_.empty() ? 0 : 1), due);
        if (now > until) return false;
        dueCalls_.push_back(now - kWaitStart);
        if (watch.Due(now)) {
            dueAt_ = now - kWaitStart;
            return true;
        }
    }
    return false;
}

bool HeadlessProcesses::RunScript(ProgramWatch& watch) {
    const SteadyMs ends = kWaitStart + static_cast<SteadyMs>(end_.seconds * 1000);
    SteadyMs now = kWaitStart;
    for (const WaitEvent& event : script_) {
        const SteadyMs at = std::min(kWaitStart + event.at, ends);
        if (AskUntil(watch, now, at)) return true;
        if (at >= ends) return false;
        now = at;
        switch (event.kind) {
            case WaitEvent::Kind::Input: watch.InputSeen(now); break;
            case WaitEvent::Kind::SourceIdle: watch.SourceIdle(true, now); break;
            case WaitEvent::Kind::SourceBusy: watch.SourceIdle(false, now); break;
            case WaitEvent::Kind::Note: watch.Note(event.note); break;
            case WaitEvent::Kind::ClosingTime: watch.ClosingTimeReached(now); break;
            case WaitEvent::Kind::SystemShutdown: watch.SystemShuttingDown(now, event.graceMs); break;
        }
    }
    return AskUntil(watch, now, ends);
}

ProgramEnd HeadlessProcesses::EndProgram(ProcessId id, int graceMs) {
    endCalls_.push_back({id, graceMs});
    if (askedEnd_) return *askedEnd_;
    return {0, ProgramEnd::How::Signalled, 15, static_cast<double>(std::max<SteadyMs>(dueAt_, 0)) / 1000};
}

void HeadlessProcesses::RestartTamrel(const std::string& programFolder) {
    restarts_.push_back(programFolder);
    if (restartFailure_) throw *restartFailure_;
}

}  // namespace tamrel::headless
