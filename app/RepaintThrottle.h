// TRepaintThrottle: lets a per-row repaint through at most once per interval, so a long
// export shows its progress without painting faster than a screen can show.
#pragma once

#include <cstdint>
#include <functional>

class TRepaintThrottle {
public:
    // clock gives milliseconds from a steady clock.
    explicit TRepaintThrottle(std::function<uint64_t()> clock, uint64_t intervalMs = 30);

    // True when a paint may go out now (the first call always may); the interval then
    // starts again.
    bool Due();
    int PaintsLetThrough() const { return FPaints; }

private:
    std::function<uint64_t()> FClock;
    uint64_t FInterval;
    uint64_t FLast = 0;
    bool FStarted = false;
    int FPaints = 0;
};
