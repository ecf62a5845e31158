#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "base/Exception.h"
#include "platform/ProfileFile.h"
#include "tests/common/TestFiles.h"

using namespace platform;

using testing_support::FolderEntries;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

TEST(ProfileFile, ReadsNamesIgnoringCaseAndAnyLineEnd) {
    TempFolder folder;
    std::string path = folder.Path() + "a.ini";
    WriteBytes(path, "orphan=1\n[Option]\r\nTop=100\rdbtype=1\n  [ other ] \r\ntop=7\r\n"
                     "[\xD6\x41]\r\n\xD6\x41=upper\r\n");
    EXPECT_EQ(ReadProfileString(path, "option", "TOP", "x"), "100");
    EXPECT_EQ(ReadProfileString(path, "OPTION", "DbType", "x"), "1");
    EXPECT_EQ(ReadProfileString(path, "Other", "top", "x"), "7");
    EXPECT_EQ(ReadProfileString(path, "Option", "missing", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(path, "nothing", "top", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(folder.Path() + "none.ini", "Option", "top", "dflt"), "dflt");
    // A line before the first section belongs to no section.
    EXPECT_EQ(ReadProfileString(path, "", "orphan", "dflt"), "dflt");
    // 0x41 and 0x61 are trail bytes of two different Chinese characters, not letters.
    EXPECT_EQ(ReadProfileString(path, "\xD6\x41", "\xD6\x41", "dflt"), "upper");
    EXPECT_EQ(ReadProfileString(path, "\xD6\x61", "\xD6\x41", "dflt"), "dflt");
    EXPECT_TRUE(ProfileSameText("Dsn=Demo\xD6\xD0", "dSN=dEMO\xD6\xD0"));
    EXPECT_FALSE(ProfileSameText("\xD6\x41", "\xD6\x61"));
    EXPECT_FALSE(ProfileSameText("ab", "abc"));
}

TEST(ProfileFile, ValuesAreTrimmedUnquotedAndCut) {
    TempFolder folder;
    std::string path = folder.Path() + "v.ini";
    std::string longValue(3000, 'x');
    longValue[2046] = 'L';
    longValue[2047] = 'N';
    WriteBytes(path, "[s]\r\n"
                     "plain =  a b \t\r\n"
                     "double=\"  kept  \"\r\n"
                     "single= 'q' \r\n"
                     "mixed=\"q'\r\n"
                     "lone=\"\r\n"
                     "inner=a\"b\"\r\n"
                     "empty=\r\n"
                     "bare\r\n"
                     "long=" +
                         longValue +
                         "\r\n"
                         "quotedlong=\"" +
                         std::string(2047, 'y') + "\"\r\n");
    EXPECT_EQ(ReadProfileString(path, "s", "plain", "-"), "a b");
    EXPECT_EQ(ReadProfileString(path, "s", "double", "-"), "  kept  ");
    EXPECT_EQ(ReadProfileString(path, "s", "single", "-"), "q");
    EXPECT_EQ(ReadProfileString(path, "s", "mixed", "-"), "\"q'");
    EXPECT_EQ(ReadProfileString(path, "s", "lone", "-"), "\"");
    EXPECT_EQ(ReadProfileString(path, "s", "inner", "-"), "a\"b\"");
    EXPECT_EQ(ReadProfileString(path, "s", "empty", "-"), "");
    EXPECT_EQ(ReadProfileString(path, "s", "bare", "-"), "");
    std::string cut = ReadProfileString(path, "s", "long", "-");
    EXPECT_EQ(cut.size(), kProfileValueMax);
    EXPECT_EQ(cut.back(), 'L');
    EXPECT_EQ(ReadProfileString(path, "s", "quotedlong", "-"), std::string(2047, 'y'));
}

TEST(ProfileFile, SectionEntriesComeInFileOrder) {
    TempFolder folder;
    std::string path = folder.Path() + "s.ini";
    WriteBytes(path, "[dbstr]\n"
                     "dbstr = Provider=SQLOLEDB;Data Source=srv \n"
                     "; a comment=no entry\n"
                     "\n"
                     "dbstr2=\"quoted\"\n"
                     "bare\n"
                     "dbstr0=second\n"
                     "[other]\n"
                     "x=1\n"
                     "[DBSTR]\n"
                     "late=ignored\n");
    EXPECT_EQ(ReadProfileSection(path, "DbStr"),
              (std::vector<std::string>{"dbstr=Provider=SQLOLEDB;Data Source=srv", "dbstr2=quoted",
                                        "bare=", "dbstr0=second"}));
    EXPECT_TRUE(ReadProfileSection(path, "missing").empty());
    EXPECT_TRUE(ReadProfileSection(folder.Path() + "none.ini", "dbstr").empty());
}

TEST(ProfileFile, WritesKeepOrderAndEverythingElse) {
    TempFolder folder;
    std::string path = folder.Path() + "w.ini";

    WriteProfileString(path, "Option", "top", "100");
    EXPECT_EQ(ReadBytes(path), "[Option]\r\ntop=100\r\n");

    WriteBytes(path, "; settings\n"
                     "orphan=1\n"
                     "[Option]\n"
                     "Top = 100\n"
                     "dbtype=0\n"
                     "; about the next section\n"
                     "\n"
                     "[dbstr]\r"
                     "dbstr=A\r");
    WriteProfileString(path, "option", "TOP", " 50 ");
    WriteProfileString(path, "OPTION", "notNullFields", "created_by");
    WriteProfileString(path, "Extra", "k", "v");
    WriteProfileString(path, "dbstr", "dbstr0", "B");
    EXPECT_EQ(ReadBytes(path), "; settings\r\n"
                               "orphan=1\r\n"
                               "[Option]\r\n"
                               "Top= 50 \r\n"
                               "dbtype=0\r\n"
                               "notNullFields=created_by\r\n"
                               "; about the next section\r\n"
                               "\r\n"
                               "[dbstr]\r\n"
                               "dbstr=A\r\n"
                               "dbstr0=B\r\n"
                               "[Extra]\r\n"
                               "k=v\r\n");
    EXPECT_EQ(ReadProfileString(path, "Option", "top", "-"), "50");

    // Code-page bytes go through untouched, and a section without entries takes its first
    // key right under its name.
    WriteBytes(path, "[empty]\r\n; note\r\n[next]\r\n");
    WriteProfileString(path, "empty", "\xD6\xD0", "\xCE\xC4\x81\x30\x81\x30");
    EXPECT_EQ(ReadBytes(path),
              "[empty]\r\n\xD6\xD0=\xCE\xC4\x81\x30\x81\x30\r\n; note\r\n[next]\r\n");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"w.ini"});
}

TEST(ProfileFile, EraseSectionAndDeleteKey) {
    TempFolder folder;
    std::string path = folder.Path() + "e.ini";
    WriteBytes(path, "[dbstr]\r\ndbstr=A\r\n; old\r\ndbstr0=B\r\n"
                     "[Option]\r\ntop=1\r\nTOP=2\r\ndbtype=0\r\n"
                     "[DBSTR]\r\ndbstr1=C\r\n");
    EraseProfileSection(path, "dbstr");
    EXPECT_EQ(ReadBytes(path), "[Option]\r\ntop=1\r\nTOP=2\r\ndbtype=0\r\n");
    DeleteProfileKey(path, "option", "Top");
    EXPECT_EQ(ReadBytes(path), "[Option]\r\ndbtype=0\r\n");
    DeleteProfileKey(path, "Option", "absent");
    EXPECT_EQ(ReadBytes(path), "[Option]\r\ndbtype=0\r\n");

    // A repeated section right after the erased one goes too.
    WriteBytes(path,
               "; head\r\n[dbstr]\r\ndbstr=A\r\n[DbStr]\r\ndbstr=B\r\n[dbstr]\r\n[x]\r\nk=v\r\n");
    EraseProfileSection(path, "DBSTR");
    EXPECT_EQ(ReadBytes(path), "; head\r\n[x]\r\nk=v\r\n");

    // Nothing to erase: no file appears.
    std::string none = folder.Path() + "none.ini";
    EraseProfileSection(none, "dbstr");
    DeleteProfileKey(none, "dbstr", "dbstr");
    EXPECT_FALSE(std::filesystem::exists(none));
}

TEST(ProfileFile, ReplacingKeepsPermissionsAndLinks) {
    TempFolder folder;
    std::string target = folder.Path() + "real.ini";
    std::string link = folder.Path() + "link.ini";
    WriteBytes(target, "[s]\r\nk=1\r\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink(target, link);
    WriteProfileString(link, "s", "k", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "[s]\r\nk=2\r\n");
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"link.ini", "real.ini"}));
}

TEST(ProfileFile, RefusedWritesNameThePath) {
    TempFolder folder;
    std::string plainFile = folder.Path() + "file";
    WriteBytes(plainFile, "not a folder");
    // The system's refusals as root cannot be made with permission bits: a path through
    // a file, a folder in place of the file, and a folder that takes no new files.
    std::vector<std::string> refused = {plainFile + "/config.ini", folder.Path(),
                                        "/proc/quorvel-config.ini"};
    for (const std::string& path : refused) {
        try {
            WriteProfileString(path, "Option", "top", "100");
            ADD_FAILURE() << "no error for " << path;
        } catch (const EIniFileException& error) {
            EXPECT_EQ(error.Message(), "Unable to write to " + path);
        }
    }
    // A folder cannot be read, and rewriting what could not be read would lose it.
    EXPECT_THROW(EraseProfileSection(folder.Path(), "Option"), EIniFileException);
    EXPECT_EQ(ReadBytes(plainFile), "not a folder");
    EXPECT_EQ(ReadProfileString(plainFile + "/config.ini", "Option", "top", "dflt"), "dflt");
}
