// Runs a program through the Windows backend's wait with an idle watch of
// its own, whose limit is milliseconds rather than minutes, and writes what
// happened to idleprobe.txt in the current folder, a line each:
// "input <ms>" (from the start), "due <ms>", "ended <ms> forced=<0|1>".
// Usage: idleprobe <program> <idle ms> <grace ms>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/Win32Processes.h"

namespace {

using tamrel::SteadyMs;

SteadyMs Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class Report {
public:
    Report() : file_(std::fopen("idleprobe.txt", "wb")) {}
    ~Report() {
        if (file_) std::fclose(file_);
    }
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;
    void Line(const std::string& what, SteadyMs at, const std::string& more = "") {
        if (!file_) return;
        std::fprintf(file_, "%s %lld%s\n", what.c_str(), static_cast<long long>(at - started_), more.c_str());
        std::fflush(file_);
    }

private:
    std::FILE* file_;
    SteadyMs started_ = Now();
};

class ProbeWatch : public tamrel::ProgramWatch {
public:
    ProbeWatch(Report& report, SteadyMs idleMs) : report_(report), idleMs_(idleMs), last_(Now()) {}
    int IdleMinutes() const override { return 1; }
    void InputSeen(SteadyMs now) override {
        report_.Line("input", now);
        if (now > last_) last_ = now;
    }
    void SourceIdle(bool, SteadyMs) override {}
    void Note(const std::string& line) override { report_.Line("note", Now(), " " + line); }
    SteadyMs NextDue() const override { return last_ + idleMs_; }
    bool Due(SteadyMs now) override { return now >= last_ + idleMs_; }

private:
    Report& report_;
    SteadyMs idleMs_;
    SteadyMs last_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    Report report;
    ProbeWatch watch(report, std::atoll(argv[2]));
    tamrel::Win32Processes processes;
    const tamrel::ProcessId id = processes.StartProgram(argv[1], tamrel::WindowStyle::Normal);
    if (id == 0) return 1;
    tamrel::ProgramEnd end = processes.WaitForProcess(id, &watch);
    if (end.watchDue) {
        report.Line("due", Now());
        end = processes.EndProgram(id, std::atoi(argv[3]));
    }
    report.Line("ended", Now(), " forced=" + std::to_string(end.forced ? 1 : 0));
    return 0;
}
