#include "platform/Thread.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

int CurrentThreadId() {
    return static_cast<int>(::syscall(SYS_gettid));
}

bool SetThreadNice(int threadId, int nice) {
    // On Linux the "process" priority of a thread id is that thread's own.
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice) == 0;
}

std::optional<int> ThreadNice(int threadId) {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
    if (nice == -1 && errno != 0) return std::nullopt;
    return nice;
}

} // namespace platform
