// Starting other programs: the user's web browser, the replacement program.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts program (a path, or a name looked up in PATH) with the arguments, passed as they are
// and never through a shell, and returns without waiting for it. The finished child is
// reaped in the background. False when the program could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& args);

// The program that opens a URL given as its one argument: $BROWSER when it is set and not
// empty, else xdg-open.
std::string BrowserProgram();

} // namespace platform
