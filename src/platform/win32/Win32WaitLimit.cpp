#include "platform/win32/Win32WaitLimit.h"

#include <algorithm>
#include <chrono>

namespace tamrel::win32 {

SteadyMs SteadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

WatchLimit::WatchLimit(ProgramWatch& watch) : watch_(watch) {
    if (watch.IdleMinutes() <= 0) return;
    input_.emplace();
    const SteadyMs now = SteadyNow();
    input_->Look(watch_, now);
    nextLook_ = now + kIdleLookMs;
}

DWORD WatchLimit::Timeout() {
    SteadyMs wake = DueAt();
    if (input_) wake = wake == kNoDeadline ? nextLook_ : std::min(wake, nextLook_);
    if (wake == kNoDeadline) return INFINITE;
    // Below INFINITE, whatever the watch asks.
    constexpr SteadyMs kLongest = 24LL * 60 * 60 * 1000;
    return static_cast<DWORD>(std::clamp<SteadyMs>(wake - SteadyNow(), 0, kLongest));
}

bool WatchLimit::Woken() {
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

SteadyMs WatchLimit::DueAt() const {
    const SteadyMs due = watch_.NextDue();
    return due != kNoDeadline && askedAt_ != kNoDeadline && due <= askedAt_ ? askedAt_ + kIdleLookMs : due;
}

}  // namespace tamrel::win32
