#pragma once
// Recording stand-ins for processes, the clock and the power operations.
// Nothing here starts a program or touches the machine's power.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Autostart.h"
#include "platform/EventSink.h"
#include "platform/Power.h"
#include "platform/Processes.h"
#include "platform/RuntimeError.h"

namespace tamrel::headless {

// Something the user or a source does during a watched wait, at a time
// counted from the program's start.
struct WaitEvent {
    // ClosingTime: the closing-time timer fired; SystemShutdown: the system
    // is going down and gives the program `graceMs`.
    enum class Kind { Input, SourceIdle, SourceBusy, Note, ClosingTime, SystemShutdown };
    SteadyMs at = 0;
    Kind kind = Kind::Input;
    std::string note;
    int graceMs = 0;
};

class HeadlessProcesses : public Processes {
public:
    struct Start {
        std::string fileName;
        WindowStyle style;
    };
    struct EndCall {
        ProcessId id;
        int graceMs;
    };
    // Where the scripted clock starts: far from 0, as a real steady clock.
    static constexpr SteadyMs kWaitStart = 987654321;

    // What the next start gives; without one, a new process id.
    void QueueStartResult(ProcessId id) { results_.push_back(id); }
    void FailNextStart(RuntimeError error) { startFailure_ = std::move(error); }
    void FailRestart(RuntimeError error) { restartFailure_ = std::move(error); }
    // The wait ends with a request to stop Tamrel (a signal number).
    void StopDuringWait(int signal) { end_.stopRequest = signal; }
    // How the waited-for program ends; by default, exit status 0 after an
    // hour.
    void EndProgramWith(ProgramEnd end) { end_ = end; }
    // Another instance holds the program folder.
    void SetFolderHeld(bool held) { folderHeld_ = held; }
    // Runs while the program is "running", before the wait returns.
    void OnWait(std::function<void(ProcessId)> hook) { waitHook_ = std::move(hook); }
    // What a watch is told during the wait, in order of time; the program
    // ends by itself after the seconds of its end unless the watch is due
    // first.
    void ScriptWait(std::vector<WaitEvent> events) { script_ = std::move(events); }
    // How the program ends once asked to; by default by SIGTERM, at once.
    void EndWhenAskedWith(ProgramEnd end) { askedEnd_ = end; }

    // The minutes each wait's watch had, 0 for a wait without one.
    const std::vector<int>& watched() const { return watched_; }
    // When the watch was due, in milliseconds from the start; -1 never.
    SteadyMs dueAt() const { return dueAt_; }
    // The times, from the start, at which the wait asked the watch.
    const std::vector<SteadyMs>& dueCalls() const { return dueCalls_; }
    const std::vector<EndCall>& endCalls() const { return endCalls_; }

    const std::vector<Start>& starts() const { return starts_; }
    const std::vector<ProcessId>& waits() const { return waits_; }
    const std::vector<std::string>& restarts() const { return restarts_; }

    std::unique_ptr<FolderLock> LockProgramFolder(const std::string& folder, int waitMs) override;
    ProcessId StartProgram(const std::string& fileName, WindowStyle style) override;
    ProgramEnd WaitForProcess(ProcessId id, ProgramWatch* watch = nullptr) override;
    ProgramEnd EndProgram(ProcessId id, int graceMs) override;
    void RestartTamrel(const std::string& programFolder) override;

private:
    std::deque<ProcessId> results_;
    std::optional<RuntimeError> startFailure_;
    std::optional<RuntimeError> restartFailure_;
    std::function<void(ProcessId)> waitHook_;
    std::vector<Start> starts_;
    std::vector<ProcessId> waits_;
    std::vector<std::string> restarts_;
    // Runs the script against the watch: true once it is due.
    bool RunScript(ProgramWatch& watch);
    // Asks the watch at each time it names up to `until`: true once due.
    bool AskUntil(ProgramWatch& watch, SteadyMs& now, SteadyMs until);

    ProcessId nextId_ = 4242;
    bool folderHeld_ = false;
    ProgramEnd end_{0, ProgramEnd::How::Exited, 0, 3600};
    std::optional<ProgramEnd> askedEnd_;
    std::vector<WaitEvent> script_;
    std::vector<int> watched_;
    SteadyMs dueAt_ = -1;
    std::vector<SteadyMs> dueCalls_;
    std::vector<EndCall> endCalls_;
};

class HeadlessClock : public Clock {
public:
    void Set(std::string text) { text_ = std::move(text); }
    const std::string& text() const { return text_; }
    std::string NowText() override { return text_; }

private:
    std::string text_ = "12/6/2026 8:05:52 PM";
};

// A reply that comes after so many polls, or never.
template <typename Answer>
class LateReply : public Reply<Answer> {
public:
    LateReply(Answer answer, int polls) : answer_(std::move(answer)), polls_(polls) {}
    std::optional<Answer> Poll() override {
        if (polls_ < 0) return std::nullopt;
        if (polls_ > 0) {
            --polls_;
            return std::nullopt;
        }
        return answer_;
    }

private:
    Answer answer_;
    int polls_;
};

class HeadlessPower : public Power {
public:
    static constexpr int kNever = -1;

    // The system refuses with these words; the machine stays on.
    void Refuse(std::string why) { answer_ = {false, std::move(why)}; }
    void SetBlockers(std::vector<Blocker> blockers) { blockers_ = std::move(blockers); }
    // The reply to a request, and the list of holders, after so many polls,
    // or kNever.
    void AnswerAfter(int polls) { answerPolls_ = polls; }
    void ListAfter(int polls) { listPolls_ = polls; }
    // What the system was asked for, whatever it answered.
    const std::vector<PowerAction>& requests() const { return requests_; }
    // How often the holders were asked for.
    int blockerQuestions() const { return blockerQuestions_; }
    // The alarm cannot be set, for this reason.
    void FailWakeUp(std::string why) { wakeFailure_ = std::move(why); }
    // The wake-up times asked for, and what was asked next, in order:
    // "wake 510" and "request 2".
    const std::vector<std::string>& calls() const { return calls_; }

    std::unique_ptr<Reply<PowerAnswer>> Request(PowerAction action) override {
        requests_.push_back(action);
        calls_.push_back("request " + std::to_string(static_cast<int>(action)));
        return std::make_unique<LateReply<PowerAnswer>>(answer_, answerPolls_);
    }
    std::unique_ptr<Reply<std::vector<Blocker>>> ShutdownBlockers() override {
        ++blockerQuestions_;
        return std::make_unique<LateReply<std::vector<Blocker>>>(blockers_, listPolls_);
    }
    WakeAnswer SetWakeUp(long minutes) override {
        calls_.push_back("wake " + std::to_string(minutes));
        if (wakeFailure_) return {"", *wakeFailure_};
        return {"Tue " + std::string(minutes < 600 ? "0" : "") + std::to_string(minutes / 60) + ":" +
                    (minutes % 60 < 10 ? "0" : "") + std::to_string(minutes % 60),
                ""};
    }

private:
    PowerAnswer answer_{true, ""};
    std::vector<Blocker> blockers_;
    int answerPolls_ = 0;
    int listPolls_ = 0;
    int blockerQuestions_ = 0;
    std::vector<PowerAction> requests_;
    std::optional<std::string> wakeFailure_;
    std::vector<std::string> calls_;
};

// The entry as a flag; a failure to set it can be queued.
class HeadlessAutostart : public Autostart {
public:
    void FailNextChange(RuntimeError error) { failure_ = std::move(error); }
    bool IsOn() override { return on_; }
    void SetOn(bool on) override {
        if (failure_) throw *std::exchange(failure_, std::nullopt);
        on_ = on;
    }
    std::string EntryPath() const override { return "/home/arcade/.config/autostart/tamrel.desktop"; }
    std::string Executable() const override { return "/home/arcade/tamrel/tamrel"; }
    std::string User() const override { return "arcade"; }

private:
    bool on_ = false;
    std::optional<RuntimeError> failure_;
};

// Every event the logs sent, in order.
class RecordingEventSink : public EventSink {
public:
    void Send(const Event& event) noexcept override { sent.push_back(event); }
    std::vector<Event> sent;
};

}  // namespace tamrel::headless
