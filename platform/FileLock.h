// Advisory locks on executables: how a running quorvel tells the replacement program it has
// not ended yet.
#pragma once

#include <string>

namespace platform {

// Takes a shared lock on the running executable (/proc/self/exe) and keeps it until the process
// ends. The descriptor is close-on-exec, so started programs do not keep the lock alive. Calling
// it again does nothing. False when the executable could not be opened or locked.
bool HoldExecutableLock();

// True when an exclusive lock on path could be taken at once, i.e. no running program holds its
// shared lock on it; the lock is released again before returning. False also when path cannot be
// opened.
bool TryLockExclusive(const std::string& path);

} // namespace platform
