// A local file read or written by the updater: file URLs and downloads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class TLocalFile {
public:
    // Others may go on reading and writing it. Null when it cannot be opened.
    static std::unique_ptr<TLocalFile> OpenForReading(const std::string& path);
    // Removes path and creates it anew for us alone. hidden asks for the attributes temporary
    // and hidden where the platform has them (not here). Null when it cannot be created.
    static std::unique_ptr<TLocalFile> CreateNew(const std::string& path, bool hidden);
    ~TLocalFile();
    TLocalFile(const TLocalFile&) = delete;
    TLocalFile& operator=(const TLocalFile&) = delete;

    int64_t Size() const;
    // Up to size bytes; 0 at the end or on failure (Failed() tells).
    size_t Read(char* buffer, size_t size);
    // Buffered; false once a write has failed (disk full).
    bool Write(const char* bytes, size_t size);
    // Writes what is buffered and closes; false when any write failed. Later calls do nothing.
    bool Close();
    bool Failed() const { return FFailed; }

private:
    explicit TLocalFile(int fd) : FFd(fd) {}
    bool Flush();

    int FFd;
    bool FFailed = false;
    std::string FPending;
};

// Removes a file; false when it was there and stays.
bool RemoveLocalFile(const std::string& path);

} // namespace platform
