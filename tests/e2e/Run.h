// Runs a program with arguments, capturing its standard output and error and exit status.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace e2e {

struct TRunResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// stdinPath: a file for standard input ("" for /dev/null).
inline TRunResult RunProgram(const std::vector<std::string>& args, const std::string& stdinPath = "") {
    char outPath[] = "/tmp/quorvel-e2e-out-XXXXXX";
    char errPath[] = "/tmp/quorvel-e2e-err-XXXXXX";
    int outFd = mkstemp(outPath);
    int errFd = mkstemp(errPath);
    int inFd = open(stdinPath.empty() ? "/dev/null" : stdinPath.c_str(), O_RDONLY);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inFd, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    TRunResult result;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(inFd);
    close(outFd);
    close(errFd);
    result.Out = ReadFile(outPath);
    result.Err = ReadFile(errPath);
    unlink(outPath);
    unlink(errPath);
    return result;
}

} // namespace e2e
