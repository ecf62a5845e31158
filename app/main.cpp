// The program's entry: the window without arguments, the command line with them.
#include <csignal>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/FileWriter.h"
#ifdef QUORVEL_WITH_WINDOW
#include "app/ui/Application.h"
#endif

int main(int argc, char** argv) {
    // Started with a standard descriptor closed, the next file or socket would be opened there
    // and receive what is meant for the terminal.
    platform::OccupyClosedStandardDescriptors();
    // A closed pipe or a file-size limit then fails the write with an error message (and a
    // file that was there stays) instead of killing the program silently.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#ifdef QUORVEL_WITH_WINDOW
    // The restart after an upgrade opens the window as a plain start does.
    if (argc <= 1 || (argc == 2 && std::string(argv[1]) == "/afterupgrade"))
        return RunWindow(argc, argv);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunCommandLine(args, &platform::CreateDatabase);
}
