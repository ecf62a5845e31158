// How a range follows an edit of the text: the one rule for every range class, and the two
// questions the registry asks of it to skip or shift ranges without visiting them.
#pragma once

#include <algorithm>
#include <cstdint>

// A range's ends after an edit. Swallowed: the edit deleted a byte at one of its ends (or next
// to an empty range); the range reports an overwrite when that left it empty.
struct TEditFollow {
    int32_t Start;
    int32_t End;
    bool Swallowed;
};

// The edit replaced the span a .. b (b = a - 1 for an insertion) and changed the text's length
// by c; start .. end are the range's ends before it.
constexpr TEditFollow FollowEdit(int32_t start, int32_t end, int32_t a, int32_t b, int32_t c) {
    int32_t newStart = start, newEnd = end;
    bool swallowed = false;
    if (c > 0) {
        if (a <= end && end <= b) {
            newStart = std::min(start, a);
            newEnd = a - 1;
            swallowed = true;
        } else if (end > b) {
            newEnd = end + c;
        }
        if (a <= newStart && newStart <= b) {
            newStart = a;
            swallowed = true;
        } else if (newStart > b && newEnd >= newStart) {
            newStart += c;
        }
    } else {
        // An empty range right behind a span that does not grow keeps to the text after it.
        bool justAfter = false;
        if (a <= start && start <= b) {
            newStart = a;
            swallowed = true;
        } else if (start > b) {
            newStart = start + c;
            justAfter = end < start && end == b;
        }
        if (!justAfter && a <= end && end <= b) {
            newStart = std::min(newStart, a);
            newEnd = a - 1;
            swallowed = true;
        } else if (justAfter || end > b) {
            newEnd = end + c;
        }
    }
    return {newStart, newEnd, swallowed};
}

// False when the range lies wholly before the edit: FollowEdit leaves it as it is.
constexpr bool EditReaches(int32_t start, int32_t end, int32_t a) {
    return start >= a || end >= a;
}

// True when a range (end >= start - 1) starts more than one place past the edited span:
// FollowEdit moves both its ends by c and swallows nothing.
constexpr bool EditShiftsWhole(int32_t start, int32_t b) {
    return start > b + 1;
}
