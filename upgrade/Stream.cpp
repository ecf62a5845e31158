#include "upgrade/Stream.h"

#include <algorithm>
#include <cstring>

void TMemoryStream::Reserve(int64_t expected) {
    if (expected > 0) FData.reserve(static_cast<size_t>(std::min(expected, kReserveCap)));
}

bool TMemoryStream::Write(const char* bytes, size_t size) {
    const auto position = static_cast<size_t>(FPosition);
    if (position + size > FData.size()) FData.resize(position + size);
    std::memcpy(FData.data() + position, bytes, size);
    FPosition += static_cast<int64_t>(size);
    return true;
}

size_t TMemoryStream::Read(char* buffer, size_t size) {
    const auto position = static_cast<size_t>(FPosition);
    const size_t count = position < FData.size() ? std::min(size, FData.size() - position) : 0;
    std::memcpy(buffer, FData.data() + position, count);
    FPosition += static_cast<int64_t>(count);
    return count;
}

bool TFileStream::Write(const char* bytes, size_t size) {
    if (!FFile->Write(bytes, size)) return false;
    FSize += static_cast<int64_t>(size);
    FPosition = FSize;
    return true;
}
