// quorvel's command line: version, usage errors, failures and what is left on disk.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "app/Globals.h"
#include "tests/e2e/Run.h"
#include "tests/integration/TestServer.h"

namespace {

using e2e::RunProgram;

const std::string kQuorvel = QUORVEL_EXECUTABLE;

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

TEST(CommandLine, VersionHelpAndUsageErrors) {
    auto result = RunProgram({kQuorvel, "--version"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, GetVersionText() + "\n");

    // Without arguments it opens the window; with no display to open it on it says so.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    result = RunProgram({kQuorvel});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("no display to open the window on"), std::string::npos) << result.Err;
    // The restart after an upgrade opens the window too; it is no unknown command.
    result = RunProgram({kQuorvel, "/afterupgrade"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("no display to open the window on"), std::string::npos) << result.Err;

    const std::vector<std::vector<std::string>> wrong = {
        {"export", "--table", "t"},       // no --connect
        {"export", "--connect", "DSN=x"}, // neither --table nor --sql
        {"export", "--connect", "DSN=x", "--table", "t", "--sql", "select 1"},
        {"export", "--connect", "DSN=x", "--sql", "select 1", "--into", "t", "--top", "5"},
        {"export", "--connect", "DSN=x", "--sql", "select 1"}, // no --into
        {"export", "--connect", "DSN=x", "--table", "t", "--top", "ten"},
        {"export", "--connect", "DSN=x", "--table", "t", "--dbtype", "oracle"},
        {"export", "--connect", "DSN=x", "--table", "t", "--encoding", "latin1"},
        {"export", "--connect", "DSN=x", "--sql", "delete from t"},
        {"export", "--connect", "DSN=x", "--table", "t", "--reseed=yes"},
        {"export", "--connect", "DSN=x", "--table"},
        {"export", "--connect", "DSN=x", "--table", "t", "--colour"},
        {"export", "--connect", "DSN=x", "--table", "\xFF\xFE"},
        {"import"},
        {"/afterupgrade", "x"},
    };
    for (const auto& args : wrong) {
        std::vector<std::string> command = {kQuorvel};
        command.insert(command.end(), args.begin(), args.end());
        result = RunProgram(command);
        EXPECT_EQ(result.Status, 2) << args.back();
        EXPECT_NE(result.Err.find("Usage: quorvel export"), std::string::npos) << args.back();
        EXPECT_EQ(result.Out, "");
    }
}

TEST(CommandLine, FailuresExitOneWithTheMessageAndLeaveNoFile) {
    std::string output = "/tmp/quorvel-e2e-" + std::to_string(getpid()) + ".sql";
    auto result = RunProgram({kQuorvel, "export", "--connect",
                              "Driver={MariaDB Unicode};Server=127.0.0.1;Port=1;UID=u;PWD=p",
                              "--dbtype", "mysql", "--table", "t", "--output", output});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("Can't connect to server on '127.0.0.1'"), std::string::npos)
        << result.Err;
    EXPECT_FALSE(Exists(output));

    result =
        RunProgram({kQuorvel, "export", "--connect",
                    "Provider=SQLOLEDB;Integrated Security=SSPI;Data Source=h", "--table", "t"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find("Integrated Security=SSPI"), std::string::npos) << result.Err;
}

} // namespace
