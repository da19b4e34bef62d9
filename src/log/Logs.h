#pragma once
// The two logs every window writes: the event log talog1.txt (rotated once
// per run into talog2/talog3) and the cumulative error log tamrel.txt. No
// log file stays open between writes. Every line also goes to the event
// sink, with the facts the writer knew.

#include <string>

#include "platform/EventSink.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"

namespace tamrel {

class Logs {
public:
    Logs(FileSystem& files, Clock& clock, EventSink& events) : files_(files), clock_(clock), events_(events) {}

    // At the start of a run: the next event line starts a new talog1.txt.
    void StartRun() { firstLogOfRun_ = true; }
    // Once the launched program has ended, nothing may stand between the
    // user and the configured shutdown: from now on a line that cannot be
    // written (a full disk) is dropped instead of failing the run.
    void DropFailedWrites() { dropFailedWrites_ = true; }

    // The program of the run, named in every event from now on.
    void SetProgram(const std::string& fileName);

    // One event line: date and time, " --- ", the text. The first line of
    // the run rotates the generations and starts talog1.txt with its header.
    // `event`: its kind and facts; its text is the line's.
    void Log(const std::string& text, Event event = {});
    // Log, but a failing write is dropped: for the last words of a run,
    // which must not keep the run from ending as the user asked.
    void TryLog(const std::string& text, Event event = {}) noexcept;
    // An event that has no line in the files.
    void Tell(Event event) noexcept;
    // One line in tamrel.txt: date and time, then the entry as it stands.
    void AppendErrorLog(const std::string& entry);
    void TryAppendErrorLog(const std::string& entry) noexcept;

private:
    void RotateEventLogs();
    void WriteEvent(const std::string& text);
    void WriteError(const std::string& entry);

    FileSystem& files_;
    Clock& clock_;
    EventSink& events_;
    std::string program_;
    bool firstLogOfRun_ = false;
    bool dropFailedWrites_ = false;
};

}  // namespace tamrel
