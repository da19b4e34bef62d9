#include "platform/win32/Win32WaitLimit.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <utility>

namespace tamrel::win32 {

SteadyMs SteadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

WatchLimit::WatchLimit(ProgramWatch& watch, std::wstring reason, std::function<void()> ending) : watch_(watch) {
    if (watch.ClosingTime() != kNoClosingTime) closing_.emplace(watch.ClosingTime());
    const bool hearEnd = static_cast<bool>(ending);
    if (hearEnd || closing_) {
        auto shuttingDown = [this, ending = std::move(ending)] {
            watch_.SystemShuttingDown(SteadyNow(), kSessionEndGraceMs);
            ending();
            reported_ = true;
        };
        auto clockChanged = [this] {
            if (closing_) closing_->Arm(std::time(nullptr));
        };
        if (hearEnd) HearSessionEndFirst();
        session_ = std::make_unique<SessionWindow>(
            std::move(reason), hearEnd ? std::function<void()>(std::move(shuttingDown)) : std::function<void()>{},
            std::move(clockChanged));
    }
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

DWORD WatchLimit::Wait(HANDLE waitable, DWORD timeout) {
    HANDLE handles[2];
    DWORD count = 0;
    if (waitable) handles[count++] = waitable;
    if (closing_ && closing_->Handle()) handles[count++] = closing_->Handle();
    // Once the session's end was heard its answer waits in the queue, which
    // must not wake the wait again.
    const bool messages = session_ && session_->Listening();
    const DWORD woke = messages    ? ::MsgWaitForMultipleObjects(count, handles, FALSE, timeout, QS_ALLINPUT)
                       : count > 0 ? ::WaitForMultipleObjects(count, handles, FALSE, timeout)
                                   : (::Sleep(timeout), WAIT_TIMEOUT);
    if (waitable && woke == WAIT_OBJECT_0) return WAIT_OBJECT_0;
    return woke == WAIT_FAILED ? WAIT_FAILED : WAIT_TIMEOUT;
}

DWORD WatchLimit::PortTimeout() {
    const DWORD timeout = Timeout();
    // The port is no object to wait on with the messages and the timer.
    return session_ || closing_ ? std::min<DWORD>(timeout, kIdleLookMs) : timeout;
}

bool WatchLimit::Woken() {
    // A clock change arms the timer again before it is looked at.
    if (session_) session_->Pump();
    const SteadyMs now = SteadyNow();
    if (closing_ && closing_->Reached()) {
        watch_.ClosingTimeReached(now);
        reported_ = true;
    }
    const SteadyMs due = DueAt();
    // Input up to the last moment counts: looked at before the watch decides.
    if (input_ && (now >= nextLook_ || (due != kNoDeadline && now >= due))) {
        input_->Look(watch_, now);
        nextLook_ = now + kIdleLookMs;
    }
    const SteadyMs stillDue = DueAt();
    if (std::exchange(reported_, false)) {
        askedAt_ = now;
        if (watch_.Due(now)) return true;
    }
    if (stillDue == kNoDeadline || now < stillDue) return false;
    askedAt_ = now;
    return watch_.Due(now);
}

SteadyMs WatchLimit::DueAt() const {
    const SteadyMs due = watch_.NextDue();
    return due != kNoDeadline && askedAt_ != kNoDeadline && due <= askedAt_ ? askedAt_ + kIdleLookMs : due;
}

}  // namespace tamrel::win32
