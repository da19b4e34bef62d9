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
    explicit WatchLimit(ProgramWatch& watch) : watch_(watch) {
        if (watch.IdleMinutes() <= 0) return;
        input_.emplace();
        const SteadyMs now = SteadyNow();
        input_->Look(watch_, now);
        nextLook_ = now + kIdleLookMs;
    }

    DWORD Timeout() override {
        SteadyMs wake = DueAt();
        if (input_) wake = wake == kNoDeadline ? nextLook_ : std::min(wake, nextLook_);
        if (wake == kNoDeadline) return INFINITE;
        // Below INFINITE, whatever the watch asks.
        constexpr SteadyMs kLongest = 24LL * 60 * 60 * 1000;
        return static_cast<DWORD>(std::clamp<SteadyMs>(wake - SteadyNow(), 0, kLongest));
    }

    bool Woken() override {
        const SteadyMs now = SteadyNow();
        const SteadyMs due = DueAt();
        // Input up to the last moment counts: looked at before the watch decides.
        if (input_ && (now >= nextLook_ || (due != kNoDeadline && now >= due))) {
            input_->Look(watch_, now);
            nextLook_ = now + kIdleLookMs;
        }
        const SteadyMs stillDue = DueAt();
        if (stillDue == kNoDeadline || now < stillDue) return false;
        askedAt_ = now;
        return watch_.Due(now);
    }

private:
    // A watch that said no and stays due is asked again a look later, not
    // in a spin.
    SteadyMs DueAt() const {
        const SteadyMs due = watch_.NextDue();
        return due != kNoDeadline && askedAt_ != kNoDeadline && due <= askedAt_ ? askedAt_ + kIdleLookMs : due;
    }

    ProgramWatch& watch_;
    std::optional<Win32IdleInput> input_;
    SteadyMs nextLook_ = kNoDeadline;
    SteadyMs askedAt_ = kNoDeadline;
};

}  // namespace tamrel::win32
