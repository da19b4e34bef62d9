#pragma once
// The closing time as a waitable timer: absolute, on the system's clock, so
// that setting the clock moves it; armed again for a new time zone.

#include <ctime>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel::win32 {

class ClosingTimer {
public:
    explicit ClosingTimer(long minutes);
    // Null when the system refused a timer.
    HANDLE Handle() const { return timer_.get(); }
    // For the next occurrence after `after`; resets a signalled timer.
    void Arm(std::time_t after);
    // Signalled: the time was reached. Armed again for the next day.
    bool Reached();

private:
    long minutes_;
    KernelHandle timer_;
};

}  // namespace tamrel::win32
