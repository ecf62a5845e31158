#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform {

namespace {

// Undoes what the caller's thread may have changed that a new program should not inherit:
// blocked signals and an ignored SIGPIPE.
class SpawnAttributes {
public:
    SpawnAttributes() {
        posix_spawnattr_init(&FAttributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&FAttributes, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&FAttributes, &defaults);
        posix_spawnattr_setflags(&FAttributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&FAttributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* Get() const { return &FAttributes; }

private:
    posix_spawnattr_t FAttributes;
};

} // namespace

bool StartProgram(const std::string& program, const std::vector<std::string>& args) {
    if (program.empty()) return false;
    std::vector<std::string> words;
    words.reserve(args.size() + 1);
    words.push_back(program);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    SpawnAttributes attributes;
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, attributes.Get(), argv.data(), environ) != 0)
        return false;
    // The child may outlive us or not; either way it must not stay behind as a zombie.
    std::thread([child] {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

std::string BrowserProgram() {
    const char* browser = std::getenv("BROWSER");
    return browser && browser[0] ? browser : "xdg-open";
}

} // namespace platform
