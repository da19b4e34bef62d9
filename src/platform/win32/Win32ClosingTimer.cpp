#include "platform/win32/Win32ClosingTimer.h"

#include "run/NextOccurrence.h"

namespace tamrel::win32 {

namespace {

// FILETIME counts 100 ns from 1601; time_t seconds from 1970.
constexpr long long kEpochDifference = 11644473600LL;
constexpr long long kTicksPerSecond = 10000000LL;
// A timer that fires a moment early must not be armed for the same minute.
constexpr std::time_t kAfterReached = 60;

}  // namespace

ClosingTimer::ClosingTimer(long minutes)
    : minutes_(minutes), timer_(::CreateWaitableTimerW(nullptr, TRUE, nullptr)) {
    Arm(std::time(nullptr));
}

void ClosingTimer::Arm(std::time_t after) {
    if (!timer_) return;
    LARGE_INTEGER due{};
    due.QuadPart = (static_cast<long long>(NextOccurrence(after, minutes_)) + kEpochDifference) * kTicksPerSecond;
    ::SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE);
}

bool ClosingTimer::Reached() {
    if (!timer_ || ::WaitForSingleObject(timer_.get(), 0) != WAIT_OBJECT_0) return false;
    Arm(std::time(nullptr) + kAfterReached);
    return true;
}

}  // namespace tamrel::win32
