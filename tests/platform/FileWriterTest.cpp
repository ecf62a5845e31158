// The file writer: a file that was there is replaced whole or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Exception.h"
#include "platform/CodePage.h"
#include "platform/FileWriter.h"
#include "tests/common/TestFiles.h"

using namespace platform;
using testing_support::FolderEntries;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

mode_t Mode(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

} // namespace

TEST(FileWriter, ReplacesAFileOnlyWhenCommittedAndKeepsItsPermissions) {
    TempFolder folder;
    std::string path = folder.Path() + "out.sql";
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0604);
    {
        TFileWriter writer(path);
        writer.Write("new ");
        writer.Write(std::string(100000, 'n'));
        // The bytes are on the disk, beside the file, not in it.
        EXPECT_EQ(ReadBytes(path), "old");
        EXPECT_EQ(FolderEntries(folder.Path()).size(), 2u);
        writer.Commit();
    }
    EXPECT_EQ(ReadBytes(path), "new " + std::string(100000, 'n'));
    EXPECT_EQ(Mode(path), 0604u);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.sql"});

    // A new file gets the mode the umask gives, not the temporary file's 0600.
    mode_t mask = ::umask(027);
    {
        TFileWriter writer(folder.Path() + "new.sql");
        writer.Commit();
    }
    ::umask(mask);
    EXPECT_EQ(Mode(folder.Path() + "new.sql"), 0640u);
}

TEST(FileWriter, AnAbandonedWriteLeavesTheOldFileAndNoTemporaryOne) {
    TempFolder folder;
    std::string path = folder.Path() + "out.sql";
    WriteBytes(path, "old");
    {
        TFileWriter writer(path);
        writer.Write(std::string(10000, 'x'));
    } // destroyed without Commit, as by an exception
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.sql"});

    // A write that fails half-way: the file-size limit.
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit small = oldLimit;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    {
        TFileWriter writer(path);
        try {
            writer.Write(std::string(10000, 'x'));
        } catch (const EWriteError& error) {
            failed = true;
            EXPECT_NE(std::string(error.what()).find("File too large"), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.sql"});
        EXPECT_THROW(writer.Commit(), EWriteError);
    }
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.sql"});
}

TEST(FileWriter, ALinkKeepsPointingAtItsReplacedTarget) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path() + "real");
    std::string target = folder.Path() + "real/target.sql";
    WriteBytes(target, "old old old");
    std::string link = folder.Path() + "link.sql";
    ASSERT_EQ(::symlink("real/target.sql", link.c_str()), 0); // relative to the link's folder
    {
        TFileWriter writer(link);
        writer.Write("new");
        writer.Commit();
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(FolderEntries(folder.Path() + "real"), std::vector<std::string>{"target.sql"});

    // A link whose target is not there yet creates it.
    std::string dangling = folder.Path() + "dangling.sql";
    ASSERT_EQ(::symlink("real/later.sql", dangling.c_str()), 0);
    {
        TFileWriter writer(dangling);
        writer.Write("later");
        writer.Commit();
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(ReadBytes(folder.Path() + "real/later.sql"), "later");
}

TEST(FileWriter, DevicesAreWrittenDirectlyAndErrorsNameThePathInTheCodePage) {
    if (::access("/dev/full", W_OK) == 0) {
        TFileWriter full("/dev/full");
        try {
            full.Write("INSERT");
            full.Commit();
            FAIL() << "no error";
        } catch (const EWriteError& error) {
            EXPECT_STREQ(error.what(),
                         "Error writing to file \"/dev/full\". No space left on device");
        }
    }
    {
        TFileWriter null("/dev/null");
        null.Write("x");
        null.Commit();
    }
    struct stat status {};
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));

    TempFolder folder;
    std::string missing = folder.Path() + "不存在的目录/导出.sql";
    try {
        TFileWriter writer(missing);
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.what(), Utf8ToCodePage("Cannot create file \"" + missing +
                                                   "\". No such file or directory",
                                               TConversion::Strict));
    }
}
