#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::string ExecutablePath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return "";
        if (static_cast<size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<size_t>(length));
            // A replaced executable reads as "<path> (deleted)"; the path is where it was.
            constexpr std::string_view deleted = " (deleted)";
            if (path.ends_with(deleted) && access(path.c_str(), F_OK) != 0)
                path.resize(path.size() - deleted.size());
            return path;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableDirectory() {
    std::string path = ExecutablePath();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool DirectoryWritable(const std::string& directory) {
    struct stat status {};
    return !directory.empty() && stat(directory.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           access(directory.c_str(), W_OK | X_OK) == 0;
}

bool FileExists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

static std::string WithSlash(std::string directory) {
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

std::string ConfigHome() {
    // Relative values are to be ignored: they would depend on the current folder.
    const char* configured = getenv("XDG_CONFIG_HOME");
    if (configured && configured[0] == '/') return WithSlash(configured);
    std::string home;
    if (const char* value = getenv("HOME"); value && value[0]) {
        home = value;
    } else {
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir)
            home = found->pw_dir;
    }
    return WithSlash(home) + ".config/";
}

std::string TemporaryDirectory() {
    struct stat status {};
    for (const char* candidate : {static_cast<const char*>(getenv("TMPDIR")), "/tmp"}) {
        if (candidate && candidate[0] && stat(candidate, &status) == 0 && S_ISDIR(status.st_mode))
            return WithSlash(candidate);
    }
    return "";
}

bool CreateDirectories(const std::string& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    return std::filesystem::is_directory(directory, error);
}

int64_t FileSize(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return -1;
    return static_cast<int64_t>(status.st_size);
}

bool SetFileModificationTime(const std::string& path, int64_t unixSeconds) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(unixSeconds), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string CreatePrivateDirectory(const std::string& parent, const std::string& prefix) {
    std::string pattern = WithSlash(parent) + prefix + "XXXXXX";
    if (!mkdtemp(pattern.data())) return "";
    return pattern + "/";
}

bool IsOwnPrivateDirectory(const std::string& path) {
    std::string plain = path;
    while (plain.size() > 1 && plain.back() == '/')
        plain.pop_back();
    struct stat status {};
    return lstat(plain.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == geteuid() && (status.st_mode & 077) == 0;
}

std::vector<std::string> DirectoryEntries(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error))
        names.push_back(entry->path().filename().string());
    return names;
}

bool RemoveDirectoryTree(const std::string& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error); // removes links, never what they point to
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(path));
}

bool WriteNewFile(const std::string& path, const std::string& bytes, unsigned mode) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) return false;
    size_t written = 0;
    bool ok = true;
    while (ok && written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) written += static_cast<size_t>(n);
    }
    ok = ok && fchmod(fd, mode) == 0 && fsync(fd) == 0; // the umask must not narrow the mode
    ok = close(fd) == 0 && ok;
    return ok;
}

} // namespace platform
