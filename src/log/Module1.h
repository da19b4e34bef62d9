#pragma once
// The values several windows share, and the two logs every window writes:
// the event log talog1.txt (rotated once per run into talog2/talog3) and the
// cumulative error log tamrel.txt. No log file stays open between writes.

#include <string>

#include "platform/FileSystem.h"
#include "platform/Processes.h"

namespace tamrel {

class Module1 {
public:
    Module1(FileSystem& files, Clock& clock) : files_(files), clock_(clock) {}

    bool FirstLogOfRun = false;
    std::string LogMessage;
    bool SetupAfterError = false;

    // Writes LogMessage as one event line; the first call of the run rotates
    // the generations and starts a new talog1.txt with its header.
    void LogEvent();
    // The usual pair: assign the text, then LogEvent.
    void Log(const std::string& text);
    // Log, but a failing write is dropped: for the last words of a run,
    // which must not keep the run from ending as the user asked.
    void TryLog(const std::string& text) noexcept;
    // One line in tamrel.txt: date and time, then the entry as it stands.
    void AppendErrorLog(const std::string& entry);
    void TryAppendErrorLog(const std::string& entry) noexcept;

private:
    void RotateEventLogs();

    FileSystem& files_;
    Clock& clock_;
};

}  // namespace tamrel
