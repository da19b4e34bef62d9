#include "log/Logs.h"

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

}  // namespace

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

void Logs::Log(const std::string& text) {
    if (dropFailedWrites_) {
        TryLog(text);
    } else {
        WriteEvent(text);
    }
}

void Logs::TryLog(const std::string& text) noexcept {
    try {
        WriteEvent(text);
    } catch (const RuntimeError&) {
    }
}

void Logs::AppendErrorLog(const std::string& entry) {
    if (dropFailedWrites_) {
        TryAppendErrorLog(entry);
    } else {
        WriteError(entry);
    }
}

void Logs::TryAppendErrorLog(const std::string& entry) noexcept {
    try {
        WriteError(entry);
    } catch (const RuntimeError&) {
    }
}

}  // namespace tamrel
