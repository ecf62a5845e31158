#include "platform/FileSystem.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::string ExecutableDirectory() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return "";
        if (static_cast<size_t>(length) < buffer.size()) {
            // A replaced executable reads as "<path> (deleted)"; the folder part is unaffected.
            std::string path(buffer.data(), static_cast<size_t>(length));
            size_t slash = path.rfind('/');
            return slash == std::string::npos ? "" : path.substr(0, slash + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
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

} // namespace platform
