// A stand-in for quorvel in the replacement program's tests, built in two versions. Each start
// appends one line to marker.txt beside it: version, own name, arguments, the upgrade folder.
// Named setup*, it takes a while first, so a caller that does not wait for it shows.
// With the one argument "--hold" it takes the executable lock, starts a longer-lived child and
// writes "locked" before it ends.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/FileLock.h"
#include "platform/Process.h"

int main(int argc, char** argv) {
    std::string self = argv[0];
    std::string folder = self.substr(0, self.rfind('/') + 1);
    std::string name = self.substr(self.rfind('/') + 1);
    std::ofstream marker(folder + "marker.txt", std::ios::app);
    if (argc == 2 && std::string(argv[1]) == "--hold") {
        bool held = platform::HoldExecutableLock() && platform::HoldExecutableLock();
        platform::StartProgram("sleep", {"2"});
        marker << (held ? "locked" : "not locked") << std::endl;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return 0;
    }
    if (name.starts_with("setup")) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string line = std::to_string(FAKE_PROGRAM_VERSION) + " " + name;
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    const char* upgradeFolder = std::getenv("QUORVEL_UPGRADE_DIR");
    marker << line << " dir=" << (upgradeFolder ? upgradeFolder : "") << std::endl;
    return 0;
}
