// TTextBuffer: the editor's bytes in one block with a movable gap, so that an edit costs the
// distance from the previous edit rather than the length of the tail.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

class TTextBuffer {
public:
    TTextBuffer() = default;
    ~TTextBuffer();
    TTextBuffer(const TTextBuffer&) = delete;
    TTextBuffer& operator=(const TTextBuffer&) = delete;

    size_t Length() const { return FCapacity - GapSize(); }
    // Byte at 0-based offset index (< Length()).
    char At(size_t index) const {
        return index < FGapStart ? FData[index] : FData[index + GapSize()];
    }
    // The whole text, contiguous; valid until the next change.
    std::string_view View() const;
    // count bytes from 0-based offset index (clipped to the text).
    std::string Substr(size_t index, size_t count) const;
    // Calls visit(const char* piece, size_t length) for the bytes index .. index + count - 1
    // in at most two pieces, without moving the gap.
    template <class Visit> void ForEachPiece(size_t index, size_t count, Visit&& visit) const {
        size_t length = Length();
        if (index >= length) return;
        if (count > length - index) count = length - index;
        if (index < FGapStart) {
            size_t first = std::min(count, FGapStart - index);
            visit(FData + index, first);
            index += first;
            count -= first;
        }
        if (count > 0) visit(FData + index + GapSize(), count);
    }
    // The smallest 0-based index from which every byte up to end - 1 satisfies pred(unsigned
    // char): a backward scan without moving the gap.
    template <class Pred> size_t RunStartBefore(size_t end, Pred&& pred) const {
        size_t index = std::min(end, Length());
        const size_t gap = GapSize();
        while (index > FGapStart && pred(static_cast<unsigned char>(FData[index - 1 + gap])))
            --index;
        if (index > FGapStart) return index;
        while (index > 0 && pred(static_cast<unsigned char>(FData[index - 1])))
            --index;
        return index;
    }
    // Replaces deleteCount bytes at 0-based offset index with text.
    void Replace(size_t index, size_t deleteCount, std::string_view text);
    size_t Capacity() const { return FCapacity; }

private:
    size_t GapSize() const { return FGapEnd - FGapStart; }
    void MoveGapTo(size_t index) const;
    void Grow(size_t needed);

    // The gap moves in const reads (View); the text itself does not change.
    mutable char* FData = nullptr;
    size_t FCapacity = 0;
    mutable size_t FGapStart = 0;
    mutable size_t FGapEnd = 0;
};
