#pragma once
// How long a wait for the program may block, and whether it stops once it
// wakes: never, at a deadline (the grace of an asked end), or as the run's
// watch says, with the input looked at four times a second meanwhile.

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ProgramWatch.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32ClosingTimer.h"
#include "platform/win32/Win32IdleInput.h"
#include "platform/win32/Win32SessionWindow.h"

namespace tamrel::win32 {

// The clock the watch is told: steady milliseconds.
SteadyMs SteadyNow();

class WaitLimit {
public:
    virtual ~WaitLimit() = default;
    // Milliseconds until it wants to be asked again, or INFINITE.
    virtual DWORD Timeout() = 0;
    // Asked at every wake: true ends the wait.
    virtual bool Woken() = 0;
    // Blocks on `waitable` up to `timeout`: WAIT_OBJECT_0 when it was
    // signalled, WAIT_TIMEOUT when something else woke the wait.
    virtual DWORD Wait(HANDLE waitable, DWORD timeout) { return ::WaitForSingleObject(waitable, timeout); }
    // How long a wait that cannot take part in Wait() (the job's port) may
    // block before Woken() is asked.
    virtual DWORD PortTimeout() { return Timeout(); }
};

class NoLimit : public WaitLimit {
public:
    DWORD Timeout() override { return INFINITE; }
    bool Woken() override { return false; }
};

class Deadline : public WaitLimit {
public:
    explicit Deadline(int ms) : end_(::GetTickCount64() + static_cast<ULONGLONG>(std::max(ms, 0))) {}
    DWORD Timeout() override {
        const ULONGLONG now = ::GetTickCount64();
        return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
    }
    bool Woken() override { return ::GetTickCount64() >= end_; }

private:
    ULONGLONG end_;
};

// How long the program has to end once the session ends.
inline constexpr int kSessionEndGraceMs = 5000;

// Wakes for the watch's times, four times a second to look at the input
// while idle power-off is on, at the closing time, and for the end of the
// session when `ending` is given: it asks the program to end and waits for
// it, while the system shows `reason`.
class WatchLimit : public WaitLimit {
public:
    explicit WatchLimit(ProgramWatch& watch, std::wstring reason = {}, std::function<void()> ending = {});
    DWORD Timeout() override;
    bool Woken() override;
    DWORD Wait(HANDLE waitable, DWORD timeout) override;
    DWORD PortTimeout() override;
    // Null without a session to hear.
    HWND SessionHandle() const { return session_ ? session_->Handle() : nullptr; }

private:
    // A watch that said no and stays due is asked again a look later, not
    // in a spin.
    SteadyMs DueAt() const;

    ProgramWatch& watch_;
    std::optional<Win32IdleInput> input_;
    std::optional<ClosingTimer> closing_;
    std::unique_ptr<SessionWindow> session_;
    // Something the watch must decide on was reported at this wake.
    bool reported_ = false;
    SteadyMs nextLook_ = kNoDeadline;
    SteadyMs askedAt_ = kNoDeadline;
};

}  // namespace tamrel::win32
