// Clocks: the tick counter (milliseconds from a steady clock) and the local time zone's offset.
#pragma once

#include <cstdint>

namespace platform {

uint64_t GetTickCount();

// Seconds to add to UTC for local time at the given instant (seconds since 1970-01-01 UTC):
// the offset in effect then, with daylight saving as it was or will be, not today's.
int UtcOffsetSeconds(int64_t unixSeconds);

} // namespace platform
