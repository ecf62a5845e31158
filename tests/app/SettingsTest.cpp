#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/Settings.h"
#include "base/Exception.h"
#include "platform/FileSystem.h"
#include "tests/common/TestFiles.h"

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

// One run of the program as the main window drives the file: load at start, maybe one
// successful connect, save the options at close. Returns the history loaded at start.
std::vector<std::string> RunOnce(const std::string& path, std::optional<std::string> connect) {
    TStringList history;
    int selected = LoadHistory(path, history);
    EXPECT_EQ(selected, history.Count() > 0 ? 0 : -1);
    TOptions options = LoadOptions(path);
    std::vector<std::string> loaded = history.Items();
    if (connect) {
        AddToHistory(history, *connect);
        WriteHistory(path, history);
    }
    SaveOptions(path, options.Top, options.DbType, options.NotNullFields);
    return loaded;
}

// Restores an environment variable when the test ends.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(const char* name) : FName(name) {
        if (const char* value = getenv(name)) FOld = value;
    }
    ~EnvironmentGuard() {
        if (FOld)
            setenv(FName, FOld->c_str(), 1);
        else
            unsetenv(FName);
    }

private:
    const char* FName;
    std::optional<std::string> FOld;
};

const std::string kOptionsOnly = "[Option]\r\ntop=100\r\ndbtype=0\r\nnotNullFields=created_by\r\n";

} // namespace

TEST(Settings, HistoryAcrossRunsMatchesTheFileByteForByte) {
    TempFolder folder;
    std::string path = folder.Path() + "config.ini";
    const std::string a = "Provider=SQLOLEDB.1;Password=sa;Persist Security Info=True;User ID=sa;"
                          "Initial Catalog=shop;Data Source=127.0.0.1";
    const std::string b = "Provider=MSDASQL.1;Extended Properties=\"DRIVER={MySQL ODBC 5.3 Unicode "
                          "Driver};SERVER=localhost;DATABASE=test;UID=root;PWD=x\"";
    const std::string c = "DSN=demo";

    // No file: defaults, and the first close creates the file with the options alone.
    TOptions fresh = LoadOptions(path);
    EXPECT_EQ(fresh.Top, "100");
    EXPECT_EQ(fresh.DbType, 0);
    EXPECT_EQ(fresh.NotNullFields, "created_by");
    EXPECT_TRUE(RunOnce(path, std::nullopt).empty());
    EXPECT_EQ(ReadBytes(path), kOptionsOnly);

    EXPECT_TRUE(RunOnce(path, b).empty());
    EXPECT_EQ(RunOnce(path, c), std::vector<std::string>{b});
    EXPECT_EQ(RunOnce(path, a), (std::vector<std::string>{c, b}));
    // History A, C, B loaded; connect with C; close.
    EXPECT_EQ(RunOnce(path, c), (std::vector<std::string>{a, c, b}));
    EXPECT_EQ(ReadBytes(path), kOptionsOnly +
                                   "[dbstr]\r\n"
                                   "dbstr=" +
                                   c +
                                   "\r\n"
                                   "dbstr1=" +
                                   a +
                                   "\r\n"
                                   "dbstr2=" +
                                   b + "\r\n");
    TStringList restored;
    EXPECT_EQ(LoadHistory(path, restored), 0);
    EXPECT_EQ(restored.Items(), (std::vector<std::string>{c, a, b}));
}

TEST(Settings, HistoryKeepsOneOfEachStringIgnoringLetterCase) {
    TempFolder folder;
    std::string path = folder.Path() + "config.ini";
    // The Chinese pair differs only in a trail byte that looks like a letter: two strings.
    TStringList history{"dsn=DEMO", "Other", "\xD6\x41", "OTHER", "\xD6\x61", "dsn=demo", "  x  "};
    AddToHistory(history, "DSN=Demo");
    EXPECT_EQ(history.Items(),
              (std::vector<std::string>{"DSN=Demo", "Other", "\xD6\x41", "\xD6\x61", "  x  "}));
    WriteHistory(path, history);
    EXPECT_EQ(ReadBytes(path), "[dbstr]\r\n"
                               "dbstr=DSN=Demo\r\n"
                               "dbstr1=Other\r\n"
                               "dbstr2=\xD6\x41\r\n"
                               "dbstr3=\xD6\x61\r\n"
                               "dbstr4=  x  \r\n");
    TStringList loaded;
    LoadHistory(path, loaded);
    EXPECT_EQ(loaded.Items(),
              (std::vector<std::string>{"DSN=Demo", "Other", "\xD6\x41", "\xD6\x61", "x"}));

    // A rewrite replaces the whole old history, wherever the section stood.
    WriteBytes(path, "[dbstr]\r\ndbstr=old\r\ndbstr9=older\r\n[Option]\r\ntop=5\r\n");
    WriteHistory(path, TStringList{"new"});
    EXPECT_EQ(ReadBytes(path), "[Option]\r\ntop=5\r\n[dbstr]\r\ndbstr=new\r\n");
}

TEST(Settings, HistoryKeepsTheTwentyMostRecentStrings) {
    TempFolder folder;
    std::string path = folder.Path() + "config.ini";
    TStringList history;
    for (int i = 0; i < 25; ++i)
        AddToHistory(history, "DSN=db" + std::to_string(i));
    ASSERT_EQ(history.Count(), kHistoryLimit);
    EXPECT_EQ(history.Get(0), "DSN=db24");
    EXPECT_EQ(history.Get(19), "DSN=db5");
    // Reconnecting with an older string moves it up; nothing falls off.
    AddToHistory(history, "dsn=DB10");
    ASSERT_EQ(history.Count(), kHistoryLimit);
    EXPECT_EQ(history.Get(0), "dsn=DB10");
    EXPECT_EQ(history.Get(1), "DSN=db24");
    EXPECT_EQ(history.Get(19), "DSN=db5");

    // A longer list handed to the file is cut there too.
    TStringList longer = history;
    longer.Add("DSN=extra");
    WriteHistory(path, longer);
    TStringList loaded;
    LoadHistory(path, loaded);
    EXPECT_EQ(loaded.Items(), history.Items());
}

TEST(Settings, OptionsAreParsedAndTrimmed) {
    TempFolder folder;
    std::string path = folder.Path() + "config.ini";
    struct Case {
        std::string Stored;
        int DbType;
    } cases[] = {{"0x1", 1}, {"0X1", 1}, {"abc", 0}, {"1", 1},  {" 7 ", 7},
                 {"-1", -1}, {"$1", 0},  {"", 0},    {"0x", 0}, {"1.0", 0}};
    for (const Case& c : cases) {
        WriteBytes(path, "[Option]\r\ndbtype=" + c.Stored + "\r\n");
        EXPECT_EQ(LoadOptions(path).DbType, c.DbType) << c.Stored;
    }

    SaveOptions(path, "  250\t", -1, " id, created_by ");
    EXPECT_EQ(ReadBytes(path),
              "[Option]\r\ndbtype=-1\r\ntop=250\r\nnotNullFields=id, created_by\r\n");
    TOptions options = LoadOptions(path);
    EXPECT_EQ(options.Top, "250");
    EXPECT_EQ(options.DbType, -1);
    EXPECT_EQ(options.NotNullFields, "id, created_by");

    // An emptied box is stored empty and reads back empty, not as the default.
    SaveOptions(path, "   ", 1, "");
    options = LoadOptions(path);
    EXPECT_EQ(options.Top, "");
    EXPECT_EQ(options.DbType, 1);
    EXPECT_EQ(options.NotNullFields, "");
}

TEST(Settings, RefusedWritesRaiseWithThePath) {
    TempFolder folder;
    std::string plainFile = folder.Path() + "file";
    WriteBytes(plainFile, "x");
    std::string path = plainFile + "/config.ini";
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            if (attempt == 0)
                SaveOptions(path, "100", 0, "created_by");
            else
                WriteHistory(path, TStringList{"DSN=demo", "DSN=old"});
            ADD_FAILURE() << "no error on attempt " << attempt;
        } catch (const EIniFileException& error) {
            EXPECT_EQ(error.Message(), "Unable to write to " + path);
        }
    }
    // Reading the same path gives the defaults.
    TStringList history;
    EXPECT_EQ(LoadHistory(path, history), -1);
    EXPECT_EQ(LoadOptions(path).Top, "100");
}

TEST(Settings, FileGoesBesideTheProgramOrIntoTheConfigFolder) {
    TempFolder folder;
    std::string programDir = folder.Path() + "bin";
    std::string configHome = folder.Path() + "home/.config";
    std::filesystem::create_directories(programDir);

    EXPECT_EQ(ChooseSettingsPath(programDir + "/", configHome), programDir + "/config.ini");
    EXPECT_EQ(ChooseSettingsPath(programDir, configHome + "/"), programDir + "/config.ini");

    std::string missingDir = folder.Path() + "gone/";
    std::string fallback = configHome + "/quorvel/config.ini";
    EXPECT_EQ(ChooseSettingsPath(missingDir, configHome), fallback);
    EXPECT_EQ(ChooseSettingsPath(missingDir, configHome + "/"), fallback);
    EXPECT_EQ(ChooseSettingsPath("", configHome), fallback);

    // The folder of its own appears with the first write.
    SaveOptions(fallback, "100", 0, "created_by");
    EXPECT_EQ(ReadBytes(fallback), kOptionsOnly);

    // The running program's folder is writable here, so the file goes beside it.
    std::string exeDir = platform::ExecutableDirectory();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_EQ(exeDir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(exeDir + "test_app"));
    EXPECT_EQ(DefaultSettingsPath(), exeDir + "config.ini");
}

TEST(Settings, ConfigFolderFollowsXdgThenHome) {
    EnvironmentGuard xdg("XDG_CONFIG_HOME");
    EnvironmentGuard home("HOME");
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "/srv/cfg", 1);
    EXPECT_EQ(platform::ConfigHome(), "/srv/cfg/");
    setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(platform::ConfigHome(), "/home/someone/.config/");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::ConfigHome(), "/home/someone/.config/");
    setenv("HOME", "/home/someone/", 1);
    EXPECT_EQ(platform::ConfigHome(), "/home/someone/.config/");
}

TEST(Settings, SaveDefaultsLiveBesideTheOptionsWithoutReorderingThem) {
    TempFolder folder;
    std::string path = folder.Path() + "config.ini";
    TSaveDefaults none = LoadSaveDefaults(path);
    EXPECT_EQ(none.Folder, "");
    EXPECT_EQ(none.Encoding, TScriptEncoding::GB18030);

    WriteBytes(path, kOptionsOnly);
    StoreSaveDefaults(path, {"/home/张三/脚本 x", TScriptEncoding::Utf8});
    SaveOptions(path, "5", 1, "a");
    EXPECT_EQ(ReadBytes(path), "[Option]\r\ntop=5\r\ndbtype=1\r\nnotNullFields=a\r\n"
                               "[Save]\r\nfolder=/home/张三/脚本 x\r\nencoding=UTF-8\r\n");
    TSaveDefaults read = LoadSaveDefaults(path);
    EXPECT_EQ(read.Folder, "/home/张三/脚本 x");
    EXPECT_EQ(read.Encoding, TScriptEncoding::Utf8);

    StoreSaveDefaults(path, {"/tmp", TScriptEncoding::GB18030});
    EXPECT_EQ(LoadSaveDefaults(path).Encoding, TScriptEncoding::GB18030);
    for (const char* stored : {"utf-8", "Utf-8"}) {
        WriteBytes(path, std::string("[Save]\r\nencoding=") + stored + "\r\n");
        EXPECT_EQ(LoadSaveDefaults(path).Encoding, TScriptEncoding::Utf8) << stored;
    }
    WriteBytes(path, "[Save]\r\nencoding=latin1\r\n");
    EXPECT_EQ(LoadSaveDefaults(path).Encoding, TScriptEncoding::GB18030);
}
