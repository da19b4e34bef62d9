#include "platform/win32/Win32WaitLimit.h"

#include <chrono>

namespace tamrel::win32 {

SteadyMs SteadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace tamrel::win32
