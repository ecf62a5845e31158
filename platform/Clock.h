// The tick counter: milliseconds from a steady clock.
#pragma once

#include <cstdint>

namespace platform {

uint64_t GetTickCount();

} // namespace platform
