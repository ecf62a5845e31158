#include "platform/LocalFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr size_t kWriteBuffer = 256 * 1024;

} // namespace

std::unique_ptr<TLocalFile> TLocalFile::OpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TLocalFile>(new TLocalFile(fd));
}

std::unique_ptr<TLocalFile> TLocalFile::CreateNew(const std::string& path, bool /*hidden*/) {
    RemoveLocalFile(path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::unique_ptr<TLocalFile>(new TLocalFile(fd));
}

TLocalFile::~TLocalFile() {
    Close();
}

int64_t TLocalFile::Size() const {
    struct stat info {};
    return FFd >= 0 && ::fstat(FFd, &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

size_t TLocalFile::Read(char* buffer, size_t size) {
    if (FFd < 0) return 0;
    for (;;) {
        const ssize_t count = ::read(FFd, buffer, size);
        if (count >= 0) return static_cast<size_t>(count);
        if (errno != EINTR) {
            FFailed = true;
            return 0;
        }
    }
}

bool TLocalFile::Write(const char* bytes, size_t size) {
    if (FFd < 0 || FFailed) return false;
    FPending.append(bytes, size);
    return FPending.size() < kWriteBuffer || Flush();
}

bool TLocalFile::Flush() {
    size_t done = 0;
    while (done < FPending.size()) {
        const ssize_t count = ::write(FFd, FPending.data() + done, FPending.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            FFailed = true;
            break;
        }
        done += static_cast<size_t>(count);
    }
    FPending.clear();
    return !FFailed;
}

bool TLocalFile::Close() {
    if (FFd < 0) return !FFailed;
    Flush();
    if (::close(FFd) != 0) FFailed = true;
    FFd = -1;
    return !FFailed;
}

bool RemoveLocalFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace platform
