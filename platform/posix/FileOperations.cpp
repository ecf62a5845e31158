#include "platform/FileOperations.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Closes a descriptor at the end of a scope.
class Descriptor {
public:
    explicit Descriptor(int value) : FValue(value) {}
    ~Descriptor() {
        if (FValue >= 0) close(FValue);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return FValue; }
    // close(2) can report a write error that nothing before did.
    int Close() {
        int result = close(FValue);
        FValue = -1;
        return result;
    }

private:
    int FValue;
};

int Result(int callResult) {
    return callResult == 0 ? 0 : errno;
}

int WriteAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

} // namespace

int RenameFile(const std::string& from, const std::string& to) {
    return Result(rename(from.c_str(), to.c_str()));
}

int LinkFile(const std::string& existing, const std::string& to) {
    return Result(link(existing.c_str(), to.c_str()));
}

int CopyFile(const std::string& from, const std::string& to) {
    Descriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.Get() < 0) return errno;
    struct stat status {};
    if (fstat(source.Get(), &status) != 0) return errno;
    Descriptor target(
        open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, status.st_mode & 07777));
    if (target.Get() < 0) return errno;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(source.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) break;
        if (int error = WriteAll(target.Get(), buffer, static_cast<size_t>(got))) return error;
    }
    if (fchmod(target.Get(), status.st_mode & 07777) != 0) return errno;
    return target.Close() == 0 ? 0 : errno;
}

int RemoveFile(const std::string& path) {
    return Result(unlink(path.c_str()));
}

int GetFileMode(const std::string& path, unsigned& mode) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return errno;
    mode = status.st_mode & 07777;
    return 0;
}

int SetFileMode(const std::string& path, unsigned mode) {
    return Result(chmod(path.c_str(), static_cast<mode_t>(mode)));
}

bool PathExists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string ReadFileStart(const std::string& path, size_t count) {
    Descriptor source(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.Get() < 0) return {};
    std::string bytes(count, '\0');
    size_t filled = 0;
    while (filled < count) {
        ssize_t got = read(source.Get(), bytes.data() + filled, count - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    Descriptor source(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.Get() < 0) return false;
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t got = read(source.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

int WriteWholeFile(const std::string& path, const std::string& bytes) {
    Descriptor target(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (target.Get() < 0) return errno;
    if (int error = WriteAll(target.Get(), bytes.data(), bytes.size())) return error;
    return target.Close() == 0 ? 0 : errno;
}

int SyncDirectory(const std::string& directory) {
    Descriptor folder(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0) return errno;
    return Result(fsync(folder.Get()));
}

std::string ErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r may return a static text instead of filling the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

} // namespace platform
