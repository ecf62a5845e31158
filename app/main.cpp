// The program's entry: the command line now; the window joins when it is built.
#include <csignal>
#include <string>
#include <vector>

#include "app/CommandLine.h"

int main(int argc, char** argv) {
    // A closed pipe or a file-size limit then fails the write with an error message (and the
    // partial file is removed) instead of killing the program silently.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunCommandLine(args, &platform::CreateDatabase);
}
