#pragma once
// The next time the local clock shows a given time of day, in the time zone
// of the process (TZ), daylight saving included. Shared by the closing-time
// timers and the wake-up alarm of every platform.

#include <ctime>

namespace tamrel {

// The first moment strictly after `after` at `minutes` after local midnight.
// A time skipped by daylight saving comes at the hour it became; one that
// comes twice counts once.
std::time_t NextOccurrence(std::time_t after, long minutes);

}  // namespace tamrel
