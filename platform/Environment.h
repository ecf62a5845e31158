// The process's environment variables and id.
#pragma once

#include <optional>
#include <string>

namespace platform {

// A variable's value; nothing when it is not set.
std::optional<std::string> EnvironmentVariable(const char* name);
// Removes a variable, so that programs started later do not see it.
void RemoveEnvironmentVariable(const char* name);

long CurrentProcessId();

} // namespace platform
