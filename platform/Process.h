// Starting other programs: the user's web browser, the replacement program.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts program (a path, or a name looked up in PATH) with the arguments, passed as they are
// and never through a shell, and returns without waiting for it. The finished child is
// reaped in the background. False when the program could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& args);

// One variable added to (or replacing one of) the environment the started program inherits.
struct TEnvironmentVariable {
    std::string Name;
    std::string Value;
};

// StartProgram with one more environment variable.
bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                  const TEnvironmentVariable& variable);

// Starts the program like StartProgram but leaves the child to the caller, who must collect it
// with WaitProgram. The child's process id, or -1 when it could not be started.
long SpawnProgram(const std::string& program, const std::vector<std::string>& args);

// Waits for a child started by SpawnProgram to end. Its exit status (0-255), 128 + the signal
// number when a signal ended it, -1 when it was no child of ours.
int WaitProgram(long processId);

// Whether a process with this id exists (a finished child not yet collected still does).
bool ProcessExists(long processId);

// The program that opens a URL given as its one argument: $BROWSER when it is set and not
// empty, else xdg-open.
std::string BrowserProgram();

} // namespace platform
