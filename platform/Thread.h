// Threads as the operating system sees them: ids and scheduling priority.
#pragma once

#include <optional>

namespace platform {

// The calling thread's id (a kernel thread id here).
int CurrentThreadId();

// The nice value of a thread: -20 (most favoured) to 19. Raising it may need privileges;
// false when the system refused.
bool SetThreadNice(int threadId, int nice);
std::optional<int> ThreadNice(int threadId);

} // namespace platform
