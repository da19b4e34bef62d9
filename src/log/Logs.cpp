#include "log/Logs.h"

#include <exception>
#include <utility>

#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "log/Printable.h"

namespace tamrel {

namespace {

constexpr const char* kHeader[] = {
    "This is a log of events for when Tamrel ran.",
    "When Tamrel runs, it records events in file named talog1.txt.",
    "If talog1.txt already exists from a previous run, it is renamed talog2.txt",
    "If talog2.txt already exists, it is renamed talog3.txt.",
    "So you can go back 3 runs to check the events. This can be helpful for troubleshooting.",
    " ",
};

// A line quotes values from files (a program path, a settings line); a
// huge one must not grow the logs by megabytes on every start.
constexpr std::size_t kLongestText = 1000;

// Escaped too: a quoted value must not break its line into forged ones.
std::string Clipped(const std::string& quoting) {
    const std::string text = Printable(quoting);
    return text.size() > kLongestText ? text.substr(0, kLongestText) + "..." : text;
}

// The error log's entries start with their own dashes and spaces, which
// stand between the date and the text there.
Event ErrorEvent(const std::string& entry) {
    Event event = Event::Of(EventKind::Error);
    const std::size_t text = entry.find_first_not_of(" -");
    if (text != std::string::npos) event.text = entry.substr(text);
    return event;
}

}  // namespace

void Logs::SetProgram(const std::string& fileName) { program_ = Printable(fileName); }

void Logs::Tell(Event event) noexcept {
    try {
        event.text = Clipped(event.text);
        if (event.program.empty()) event.program = program_;
        events_.Send(event);
    } catch (const std::exception&) {
        // Out of memory for a copy: the files still have the line.
    }
}

void Logs::RotateEventLogs() {
    const std::string log1 = InLogFolder(files_, "talog1.txt");
    const std::string log2 = InLogFolder(files_, "talog2.txt");
    const std::string log3 = InLogFolder(files_, "talog3.txt");
    // Oldest first, so that no rename meets an existing name.
    if (files_.FileExists(log3)) files_.RemoveFile(log3);
    if (files_.FileExists(log2)) files_.RenameFile(log2, log3);
    if (files_.FileExists(log1)) files_.RenameFile(log1, log2);
    std::string header;
    for (const char* line : kHeader) {
        header += line;
        header += "\r\n";
    }
    files_.WriteFile(log1, header);
}

void Logs::WriteEvent(const std::string& text) {
    if (firstLogOfRun_) {
        firstLogOfRun_ = false;
        RotateEventLogs();
    }
    files_.AppendFile(InLogFolder(files_, "talog1.txt"), clock_.NowText() + " --- " + Clipped(text) + "\r\n");
}

void Logs::WriteError(const std::string& entry) {
    files_.AppendFile(InLogFolder(files_, "tamrel.txt"), clock_.NowText() + Clipped(entry) + "\r\n");
}

void Logs::Log(const std::string& text, Event event) {
    if (dropFailedWrites_) {
        TryLog(text, std::move(event));
        return;
    }
    // First, so that the journal has the line a full disk keeps from the file.
    event.text = text;
    Tell(std::move(event));
    WriteEvent(text);
}

void Logs::TryLog(const std::string& text, Event event) noexcept {
    try {
        event.text = text;
        Tell(std::move(event));
        WriteEvent(text);
    } catch (const RuntimeError&) {
    }
}

void Logs::AppendErrorLog(const std::string& entry) {
    if (dropFailedWrites_) {
        TryAppendErrorLog(entry);
        return;
    }
    Tell(ErrorEvent(entry));
    WriteError(entry);
}

void Logs::TryAppendErrorLog(const std::string& entry) noexcept {
    try {
        Tell(ErrorEvent(entry));
        WriteError(entry);
    } catch (const RuntimeError&) {
    }
}

}  // namespace tamrel
