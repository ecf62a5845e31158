#include "platform/FileLock.h"

#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

bool HoldExecutableLock() {
    static std::mutex guard;
    static bool held = false;
    std::lock_guard lock(guard);
    if (held) return true;
    // Deliberately never closed: the lock must last as long as the process.
    int descriptor = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    if (flock(descriptor, LOCK_SH) != 0) {
        close(descriptor);
        return false;
    }
    held = true;
    return true;
}

bool TryLockExclusive(const std::string& path) {
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    bool locked = flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    close(descriptor); // also releases the lock
    return locked;
}

} // namespace platform
