// platform::TScrollInfo: a scroll bar's range, page and position, with the clamping rule
// that every window host applies when a position is set.
#pragma once

#include <algorithm>

namespace platform {

struct TScrollInfo {
    int Minimum = 0;
    int Maximum = 0;
    int Page = 0;
    int Position = 0;

    // The thumb can go no further than where the page shows the maximum.
    int LastPosition() const { return std::max(Minimum, Maximum - std::max(Page - 1, 0)); }
    int Clamp(int position) const { return std::clamp(position, Minimum, LastPosition()); }
    // A bar with nothing to scroll is shown disabled.
    bool Enabled() const { return LastPosition() > Minimum; }
    bool operator==(const TScrollInfo&) const = default;
};

} // namespace platform
