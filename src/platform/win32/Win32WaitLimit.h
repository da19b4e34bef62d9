#pragma once
// How long a wait for the program may block, and whether it stops once it
// wakes: never, at a deadline (the grace of an asked end), or as the run's
// watch says, with the input looked at four times a second meanwhile.

#include <algorithm>
#include <optional>

#include "platform/ProgramWatch.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32IdleInput.h"

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

// Wakes for the watch's times, and four times a second to look at the
// input while idle power-off is on.
class WatchLimit : public WaitLimit {
public:
    explicit WatchLimit(ProgramWatch& watch);
    DWORD Timeout() override;
    bool Woken() override;

private:
    // A watch that said no and stays due is asked again a look later, not
    // in a spin.
    SteadyMs DueAt() const;

    ProgramWatch& watch_;
    std::optional<Win32IdleInput> input_;
    SteadyMs nextLook_ = kNoDeadline;
    SteadyMs askedAt_ = kNoDeadline;
};

}  // namespace tamrel::win32
