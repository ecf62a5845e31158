#include "editor/TextBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

TTextBuffer::~TTextBuffer() {
    std::free(FData);
}

void TTextBuffer::MoveGapTo(size_t index) const {
    if (index == FGapStart) return;
    size_t gap = GapSize();
    if (index < FGapStart) {
        size_t count = FGapStart - index;
        std::memmove(FData + index + gap, FData + index, count);
    } else {
        size_t count = index - FGapStart;
        std::memmove(FData + FGapStart, FData + FGapEnd, count);
    }
    FGapStart = index;
    FGapEnd = index + gap;
}

void TTextBuffer::Grow(size_t needed) {
    // Growth by a quarter keeps appending amortised while the block stays close to the text:
    // large blocks are remapped in place, so the peak is about one block, not two.
    size_t length = Length();
    size_t capacity = std::max({needed + length, FCapacity + FCapacity / 4, size_t(256)});
    MoveGapTo(length);
    char* data = static_cast<char*>(std::realloc(FData, capacity));
    if (!data) throw std::bad_alloc();
    FData = data;
    FGapEnd = capacity;
    FCapacity = capacity;
}

void TTextBuffer::Replace(size_t index, size_t deleteCount, std::string_view text) {
    size_t length = Length();
    index = std::min(index, length);
    deleteCount = std::min(deleteCount, length - index);
    if (GapSize() + deleteCount < text.size()) Grow(text.size() - deleteCount);
    MoveGapTo(index);
    FGapEnd += deleteCount;
    if (!text.empty()) std::memcpy(FData + FGapStart, text.data(), text.size());
    FGapStart += text.size();
}

std::string_view TTextBuffer::View() const {
    if (!FData) return {};
    MoveGapTo(Length());
    return std::string_view(FData, Length());
}

std::string TTextBuffer::Substr(size_t index, size_t count) const {
    std::string result;
    size_t length = Length();
    if (index >= length) return result;
    result.reserve(std::min(count, length - index));
    ForEachPiece(index, count, [&](const char* piece, size_t size) { result.append(piece, size); });
    return result;
}
