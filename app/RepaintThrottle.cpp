#include "app/RepaintThrottle.h"

#include <utility>

TRepaintThrottle::TRepaintThrottle(std::function<uint64_t()> clock, uint64_t intervalMs)
    : FClock(std::move(clock)), FInterval(intervalMs) {}

bool TRepaintThrottle::Due() {
    uint64_t now = FClock();
    if (FStarted && now - FLast < FInterval) return false;
    FStarted = true;
    FLast = now;
    ++FPaints;
    return true;
}
