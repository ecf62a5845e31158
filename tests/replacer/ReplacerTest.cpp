// The real replacement program against temporary program folders: a stand-in program in two
// versions, downloaded files beside it, a list in a private folder.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/FileLock.h"
#include "platform/Process.h"
#include "replacer/Image.h"
#include "replacer/Protocol.h"
#include "tests/common/TestFiles.h"

using testing_support::FolderEntries;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using Names = std::vector<std::string>;

namespace {

unsigned ModeOf(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// A process id that no longer exists: a child that has ended and been collected.
long EndedProcessId() {
    pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// The shared lock a running quorvel holds on its executable, for as long as the object lives.
class ProgramLock {
public:
    explicit ProgramLock(const std::string& path)
        : FDescriptor(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        EXPECT_EQ(flock(FDescriptor, LOCK_SH), 0);
    }
    ~ProgramLock() { Release(); }
    ProgramLock(const ProgramLock&) = delete;
    ProgramLock& operator=(const ProgramLock&) = delete;
    void Release() {
        if (FDescriptor >= 0) close(FDescriptor);
        FDescriptor = -1;
    }

private:
    int FDescriptor;
};

class ReplacerTest : public testing::Test {
protected:
    void SetUp() override {
        FOld = ReadBytes(FAKE_PROGRAM_V1);
        FNew = ReadBytes(FAKE_PROGRAM_V2);
        ASSERT_FALSE(FOld.empty());
        ASSERT_TRUE(FOld != FNew);
        WriteFile(Program(), FOld, 0750);
        setenv("QUORVEL_REPLACER_TIMEOUT_MS", "5000", 1);
    }
    void TearDown() override { unsetenv("QUORVEL_REPLACER_TIMEOUT_MS"); }

    // Which stand-in the file holds; a mismatch prints a line, not the bytes.
    std::string VersionIn(const std::string& path) const {
        std::string bytes = ReadBytes(path);
        if (bytes == FOld) return "old";
        if (bytes == FNew) return "new";
        return std::to_string(bytes.size()) + " other bytes";
    }

    std::string Program() const { return FProgramFolder.Path() + "quorvel"; }
    std::string InFolder(const std::string& name) const { return FProgramFolder.Path() + name; }
    // The folder quorvel is told about: the list's folder, without the trailing "/".
    std::string PrivateFolder() const {
        return FPrivateFolder.Path().substr(0, FPrivateFolder.Path().size() - 1);
    }
    std::string MessagePath() const {
        return FPrivateFolder.Path() + std::string(replacer::kMessageName);
    }

    static void WriteFile(const std::string& path, const std::string& bytes, unsigned mode) {
        WriteBytes(path, bytes);
        chmod(path.c_str(), mode);
    }

    void WriteList(const Names& files, long processId = EndedProcessId()) {
        WriteBytes(FPrivateFolder.Path() + std::string(replacer::kListName),
                   replacer::FormatReplacementList({processId, files}));
    }

    long StartReplacer(char methodDigit, const std::string& restart = "/afterupgrade",
                       const std::string& replacer = REPLACER_PATH) {
        return platform::SpawnProgram(replacer,
                                      {Program(), "+" + restart + methodDigit,
                                       FPrivateFolder.Path() + std::string(replacer::kListName)});
    }
    int RunReplacer(char methodDigit, const std::string& restart = "/afterupgrade",
                    const std::string& replacer = REPLACER_PATH) {
        long child = StartReplacer(methodDigit, restart, replacer);
        EXPECT_GT(child, 0);
        return platform::WaitProgram(child);
    }

    // The started programs' lines, once there are count of them (the replacer does not wait
    // for the program it restarts).
    Names MarkerLines(size_t count) const {
        Names lines;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            lines.clear();
            std::string text = ReadBytes(InFolder("marker.txt"));
            for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
                 start = end + 1)
                lines.push_back(text.substr(start, end - start));
            if (lines.size() >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return lines;
    }

    TempFolder FProgramFolder{"quorvel-program"};
    TempFolder FPrivateFolder{std::string(replacer::kFolderPrefix)};
    std::string FOld;
    std::string FNew;
};

TEST_F(ReplacerTest, SelfUpgradeReplacesTheListedFilesAndRestarts) {
    WriteFile(InFolder("data.txt"), "old data", 0600);
    WriteFile(InFolder("data.txt.uTMP"), "new data", 0600);
    // The server calls the program differently; it still replaces quorvel.
    WriteFile(InFolder("quorvel-2.1.uTMP"), FNew, 0600);
    WriteFile(InFolder("tool.uTMP"), FNew, 0600);
    WriteFile(InFolder("extra.cfg.uTMP"), "extra", 0600);
    WriteFile(InFolder("x.uTMP"), "left over", 0600);
    WriteList({"data.txt.uTMP", "quorvel-2.1.uTMP", "tool.uTMP", "extra.cfg.uTMP"});

    EXPECT_EQ(RunReplacer('0'), 0);

    EXPECT_EQ(VersionIn(Program()), "new");
    EXPECT_EQ(ModeOf(Program()), 0750u);
    EXPECT_EQ(ReadBytes(InFolder("data.txt")), "new data");
    EXPECT_EQ(ModeOf(InFolder("data.txt")), 0600u);
    // New files: programs get execute bits, other files plain read-write.
    EXPECT_EQ(VersionIn(InFolder("tool")), "new");
    EXPECT_EQ(ModeOf(InFolder("tool")), 0755u);
    EXPECT_EQ(ModeOf(InFolder("extra.cfg")), 0644u);
    EXPECT_EQ(ReadBytes(InFolder("x.uTMP")), "left over");
    EXPECT_EQ(MarkerLines(1), Names{"2 quorvel /afterupgrade dir=" + PrivateFolder()});
    EXPECT_EQ(FolderEntries(FProgramFolder.Path()),
              (Names{"data.txt", "extra.cfg", "marker.txt", "quorvel", "tool", "x.uTMP"}));
    EXPECT_FALSE(std::filesystem::exists(MessagePath()));
}

TEST_F(ReplacerTest, WaitsForTheProgramLockAndProcess) {
    // The download that kept the program's name is the program, though another comes first.
    WriteFile(InFolder("helper.uTMP"), FOld, 0600);
    WriteFile(InFolder("quorvel.uTMP"), FNew, 0600);
    pid_t running = fork();
    if (running == 0) {
        pause();
        _exit(0);
    }
    WriteList({"helper.uTMP", "quorvel.uTMP"}, running);
    long child = StartReplacer('0');
    ASSERT_GT(child, 0);

    // No lock, but the process of the list still runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(VersionIn(Program()), "old");
    ProgramLock lock(Program());
    kill(running, SIGKILL);
    waitpid(running, nullptr, 0);
    // The process is gone, but the lock is held.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(VersionIn(Program()), "old");
    EXPECT_TRUE(std::filesystem::exists(InFolder("quorvel.uTMP")));
    lock.Release();

    EXPECT_EQ(platform::WaitProgram(child), 0);
    EXPECT_EQ(VersionIn(Program()), "new");
    EXPECT_EQ(VersionIn(InFolder("helper")), "old");
    EXPECT_EQ(ModeOf(InFolder("helper")), 0755u);
    EXPECT_EQ(MarkerLines(1), Names{"2 quorvel /afterupgrade dir=" + PrivateFolder()});
}

TEST_F(ReplacerTest, GivesUpWhenTheProgramDoesNotEnd) {
    WriteFile(InFolder("quorvel.uTMP"), FNew, 0600);
    WriteList({"quorvel.uTMP"});
    ProgramLock lock(Program());
    setenv("QUORVEL_REPLACER_TIMEOUT_MS", "300", 1);

    EXPECT_EQ(RunReplacer('0'), 1);

    EXPECT_FALSE(ReadBytes(MessagePath()).empty());
    EXPECT_EQ(VersionIn(Program()), "old");
    EXPECT_EQ(VersionIn(InFolder("quorvel.uTMP")), "new");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(FolderEntries(FProgramFolder.Path()), (Names{"quorvel", "quorvel.uTMP"}));
}

TEST_F(ReplacerTest, FailureHalfwayPutsEverythingBack) {
    WriteFile(InFolder("quorvel.uTMP"), FNew, 0600);
    WriteFile(InFolder("first.txt.uTMP"), "first", 0600);
    WriteFile(InFolder("blocked.uTMP"), "cannot go anywhere", 0600);
    WriteFile(InFolder("later.txt.uTMP"), "later", 0600);
    // A folder that is not empty cannot be renamed over.
    std::filesystem::create_directory(InFolder("blocked"));
    WriteBytes(InFolder("blocked/inside"), "x");
    WriteList({"quorvel.uTMP", "first.txt.uTMP", "blocked.uTMP", "later.txt.uTMP"});

    EXPECT_EQ(RunReplacer('0'), 1);

    EXPECT_EQ(VersionIn(Program()), "old");
    EXPECT_EQ(ModeOf(Program()), 0750u);
    EXPECT_EQ(MarkerLines(1), Names{"1 quorvel /afterupgrade dir=" + PrivateFolder()});
    EXPECT_NE(ReadBytes(MessagePath()).find("blocked"), std::string::npos);
    EXPECT_EQ(FolderEntries(FProgramFolder.Path()), (Names{"blocked", "marker.txt", "quorvel"}));
    EXPECT_EQ(FolderEntries(InFolder("blocked")), Names{"inside"});
}

TEST_F(ReplacerTest, ExternalSetupRunsBeforeTheProgramRestarts) {
    WriteFile(InFolder("readme.txt.uTMP"), "read me", 0600);
    WriteFile(InFolder("setup.bin.uTMP"), FNew, 0600);
    WriteList({"readme.txt.uTMP", "setup.bin.uTMP"});

    EXPECT_EQ(RunReplacer('1'), 0);

    // The setup takes a while; the program starts only after it has ended.
    EXPECT_EQ(MarkerLines(2), (Names{"2 setup.bin /afterupgrade dir=",
                                     "1 quorvel /afterupgrade dir=" + PrivateFolder()}));
    EXPECT_EQ(VersionIn(Program()), "old");
    EXPECT_EQ(ReadBytes(InFolder("readme.txt")), "read me");
    EXPECT_EQ(FolderEntries(FProgramFolder.Path()), (Names{"marker.txt", "quorvel", "readme.txt"}));
}

// Also runs the copy compiled into quorvel rather than the build's executable.
TEST_F(ReplacerTest, SharedLibraryIsNotTakenForTheProgram) {
    std::string image(replacer::ReplacerImage());
    std::string embedded = FPrivateFolder.Path() + std::string(replacer::kProgramName);
    WriteFile(embedded, image, 0700);
    EXPECT_EQ(platform::WaitProgram(platform::SpawnProgram(embedded, {})), 2);

    std::string library = ReadBytes("/lib/x86_64-linux-gnu/libm.so.6");
    ASSERT_FALSE(library.empty());
    WriteFile(InFolder("libx.so.uTMP"), library, 0600);
    WriteFile(InFolder("quorvel-new.uTMP"), FNew, 0600);
    WriteList({"libx.so.uTMP", "quorvel-new.uTMP"});

    // A lone blank as restart parameters passes no argument.
    EXPECT_EQ(RunReplacer('0', " ", embedded), 0);

    EXPECT_EQ(VersionIn(Program()), "new");
    EXPECT_TRUE(ReadBytes(InFolder("libx.so")) == library);
    EXPECT_EQ(ModeOf(InFolder("libx.so")), 0644u);
    EXPECT_EQ(MarkerLines(1), Names{"2 quorvel dir=" + PrivateFolder()});
}

// The lock quorvel takes is what the replacer waits for, and no child of quorvel keeps it.
TEST_F(ReplacerTest, ExecutableLockLastsAsLongAsTheProgram) {
    long program = platform::SpawnProgram(Program(), {"--hold"});
    ASSERT_GT(program, 0);
    EXPECT_EQ(MarkerLines(1), Names{"locked"});
    EXPECT_FALSE(platform::TryLockExclusive(Program()));
    EXPECT_EQ(platform::WaitProgram(program), 0);
    // Its child still runs.
    EXPECT_TRUE(platform::TryLockExclusive(Program()));
}

} // namespace
