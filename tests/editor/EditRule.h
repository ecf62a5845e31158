// What an edit does to a range, told through the identities of the text's bytes rather than
// through arithmetic on the range's ends: the tests' own account of the rule, to hold the
// editor's ranges against.
//
// An edit of the span a .. b takes the identities of those bytes away and puts fresh bytes in
// their place; every other byte keeps its identity and only changes place. A range holds the
// identities of its bytes; an empty range holds a place between two neighbours (the start and
// the end of the text count as neighbours that never go).
//
// A range that holds bytes keeps those that survive. The new bytes join it when it holds the
// bytes on both sides of the span's end: the last byte replaced and the one after it, or, for an
// insertion, the bytes either side of it. So an insertion strictly inside a range grows it, one
// at its start or right after its end stays outside it, and a replacement of its head joins it
// while one of its tail does not. A range whose every byte goes becomes empty in front of the
// new bytes and reports an overwrite.
//
// An empty range keeps to the byte before it, so an insertion at its place goes behind it. When
// that byte goes, it keeps to the byte after it if that survives and the edit does not lengthen
// the text; otherwise it lands in front of the new bytes. It reports an overwrite whenever a
// neighbour went, unless it kept to the byte after it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>

// A range's ends after an edit, and whether it reported an overwrite.
struct TExpectedSpan {
    int32_t Start;
    int32_t End;
    bool Overwritten;
};

// The edit as the identities see it.
class TIdentityEdit {
public:
    TIdentityEdit(int32_t a, int32_t b, int32_t c)
        : FFirstGone(a), FLastGone(b), FNewCount(b - a + 1 + c) {}

    bool Gone(int32_t byte) const { return FFirstGone <= byte && byte <= FLastGone; }
    // Where a byte that survives stands afterwards; 0 is the start of the text.
    int32_t PlaceOf(int32_t byte) const {
        return byte < FFirstGone ? byte : byte - (FLastGone - FFirstGone + 1) + FNewCount;
    }
    int32_t FirstNew() const { return FFirstGone; }
    int32_t NewCount() const { return FNewCount; }
    bool Lengthens() const { return FNewCount > FLastGone - FFirstGone + 1; }
    // The last byte replaced, or the byte before an insertion.
    int32_t LastBeforeSeam() const { return FLastGone; }

private:
    int32_t FFirstGone, FLastGone, FNewCount;
};

// The range start .. end (end >= start - 1) after the edit of a .. b with length change c.
inline TExpectedSpan ExpectedAfterEdit(int32_t start, int32_t end, int32_t a, int32_t b,
                                       int32_t c) {
    EXPECT_GE(end, start - 1) << "the rule speaks of spans only";
    const TIdentityEdit edit(a, b, c);
    const int32_t inFront = edit.FirstNew();
    const TExpectedSpan collapsed{inFront, inFront - 1, true};
    if (end < start) {
        const int32_t before = start - 1, after = start;
        if (!edit.Gone(before)) {
            const int32_t place = edit.PlaceOf(before) + 1;
            return {place, place - 1, edit.Gone(after)};
        }
        if (!edit.Gone(after) && !edit.Lengthens()) {
            const int32_t place = edit.PlaceOf(after);
            return {place, place - 1, false};
        }
        return collapsed;
    }

    // In the new text the surviving head comes first, then the new bytes, then the surviving
    // tail; the range runs from the first of them it keeps to the last.
    std::optional<int32_t> first, last;
    auto take = [&](int32_t from, int32_t to) {
        if (from > to) return;
        if (!first) first = from;
        last = to;
    };
    auto holds = [&](int32_t byte) { return start <= byte && byte <= end; };
    const int32_t headEnd = std::min(end, a - 1), tailStart = std::max(start, b + 1);
    if (start <= headEnd) take(edit.PlaceOf(start), edit.PlaceOf(headEnd));
    const int32_t seam = edit.LastBeforeSeam();
    if (holds(seam) && holds(seam + 1)) take(inFront, inFront + edit.NewCount() - 1);
    if (tailStart <= end) take(edit.PlaceOf(tailStart), edit.PlaceOf(end));
    if (!first) return collapsed;
    return {*first, *last, false};
}
