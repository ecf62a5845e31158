#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform {

namespace {

// Undoes what the caller's thread may have changed that a new program should not inherit:
// blocked signals and an ignored SIGPIPE. Each program gets a session of its own: started
// programs outlive us, and the replacement program must finish its swap even when the
// terminal we ran in closes.
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
        posix_spawnattr_setflags(&FAttributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                                   POSIX_SPAWN_SETSID);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&FAttributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* Get() const { return &FAttributes; }

private:
    posix_spawnattr_t FAttributes;
};

// The program path, then the arguments, as the char* array posix_spawn wants; it points into
// the strings it keeps.
class ArgumentVector {
public:
    ArgumentVector(const std::string& program, const std::vector<std::string>& args) {
        FWords.reserve(args.size() + 1);
        FWords.push_back(program);
        FWords.insert(FWords.end(), args.begin(), args.end());
        for (std::string& word : FWords)
            FPointers.push_back(word.data());
        FPointers.push_back(nullptr);
    }
    char* const* Get() { return FPointers.data(); }

private:
    std::vector<std::string> FWords;
    std::vector<char*> FPointers;
};

pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            char* const* environment) {
    if (program.empty()) return -1;
    ArgumentVector argv(program, args);
    SpawnAttributes attributes;
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, attributes.Get(), argv.Get(), environment) !=
        0)
        return -1;
    return child;
}

bool StartAndReap(pid_t child) {
    if (child < 0) return false;
    // The child may outlive us or not; either way it must not stay behind as a zombie.
    std::thread([child] {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace

bool StartProgram(const std::string& program, const std::vector<std::string>& args) {
    return StartAndReap(Spawn(program, args, environ));
}

bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                  const TEnvironmentVariable& variable) {
    // A copy of our environment without the variable, then the variable itself.
    std::string prefix = variable.Name + "=";
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry)
        if (std::string_view(*entry).substr(0, prefix.size()) != prefix) entries.push_back(*entry);
    entries.push_back(prefix + variable.Value);
    std::vector<char*> environment;
    for (std::string& entry : entries)
        environment.push_back(entry.data());
    environment.push_back(nullptr);
    return StartAndReap(Spawn(program, args, environment.data()));
}

long SpawnProgram(const std::string& program, const std::vector<std::string>& args) {
    return Spawn(program, args, environ);
}

int WaitProgram(long processId) {
    int status = 0;
    for (;;) {
        if (waitpid(static_cast<pid_t>(processId), &status, 0) >= 0) break;
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

bool ProcessExists(long processId) {
    if (processId <= 0) return false;
    // EPERM: it exists but belongs to someone else.
    return kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
}

std::string BrowserProgram() {
    const char* browser = std::getenv("BROWSER");
    return browser && browser[0] ? browser : "xdg-open";
}

} // namespace platform
