#include "platform/Environment.h"

#include <cstdlib>
#include <unistd.h>

namespace platform {

std::optional<std::string> EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return value;
}

void RemoveEnvironmentVariable(const char* name) {
    unsetenv(name);
}

long CurrentProcessId() {
    return static_cast<long>(getpid());
}

} // namespace platform
