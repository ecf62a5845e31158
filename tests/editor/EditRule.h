// How an edit moves a tracked range's ends, written as the rule states them, for the tests
// that follow the editor's ranges with a model of their own.
#pragma once

#include <algorithm>
#include <cstdint>

// Applies the edit of a .. b (length change c) to start and end; true when it swallowed the
// range and left it empty.
inline bool FollowEdit(int32_t& start, int32_t& end, int32_t a, int32_t b, int32_t c) {
    int32_t s = start, e = end;
    bool swallowed = false;
    if (c > 0) {
        if (a <= e && e <= b) {
            s = std::min(s, a), e = a - 1, swallowed = true;
        } else if (e > b) {
            e += c;
        }
        if (a <= s && s <= b)
            s = a, swallowed = true;
        else if (s > b && e >= s)
            s += c;
    } else {
        bool justAfter = false;
        if (a <= s && s <= b) {
            s = a, swallowed = true;
        } else if (s > b) {
            s += c;
            justAfter = end < start && end == b;
        }
        if (!justAfter && a <= e && e <= b)
            s = std::min(s, a), e = a - 1, swallowed = true;
        else if (justAfter || e > b)
            e += c;
    }
    start = s;
    end = e;
    return swallowed && e < s;
}
