// Where a transfer puts its body: memory or a local file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/LocalFile.h"

class TStream {
public:
    virtual ~TStream() = default;
    // False when the bytes could not be stored.
    virtual bool Write(const char* bytes, size_t size) = 0;
    virtual int64_t Size() const = 0;
    int64_t Position() const { return FPosition; }
    void Rewind() { FPosition = 0; }

protected:
    int64_t FPosition = 0;
};

class TMemoryStream : public TStream {
public:
    // Room for expected bytes, up to a cap: a header's announced length is not trusted.
    void Reserve(int64_t expected);
    bool Write(const char* bytes, size_t size) override;
    int64_t Size() const override { return static_cast<int64_t>(FData.size()); }
    const std::string& Data() const { return FData; }
    size_t Capacity() const { return FData.capacity(); }
    // Reads from the position on; what the caller of Rewind gets back.
    size_t Read(char* buffer, size_t size);

    static constexpr int64_t kReserveCap = 16 * 1024 * 1024;

private:
    std::string FData;
};

class TFileStream : public TStream {
public:
    explicit TFileStream(std::unique_ptr<platform::TLocalFile> file) : FFile(std::move(file)) {}
    bool Write(const char* bytes, size_t size) override;
    int64_t Size() const override { return FSize; }
    // False when a write failed.
    bool Close() { return FFile->Close(); }

private:
    std::unique_ptr<platform::TLocalFile> FFile;
    int64_t FSize = 0;
};
