// The update component's decisions and downloads, headless: the information file from a file
// URL or a local https server, the program's files from a local web server, a program folder
// of the test's own. The replacement itself is the end-to-end test's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/Format.h"
#include "platform/Crypto.h"
#include "platform/FileSystem.h"
#include "platform/headless/PumpedDispatcher.h"
#include "replacer/Protocol.h"
#include "tests/common/TestFiles.h"
#include "tests/upgrade/LocalWebServer.h"
#include "tests/upgrade/TestKeys.h"
#include "upgrade/Updater.h"

namespace fs = std::filesystem;

namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

std::string Hex(const std::string& bytes) {
    return LowerCase(BytesToHex(platform::Sha256(bytes)));
}

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("quorvel-updater-test-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder / "app");
        // The temporary folder is the test's own: the component looks for left-overs there.
        fs::create_directories(Folder / "tmp");
        setenv("TMPDIR", (Folder / "tmp").c_str(), 1);
        Program = Folder / "app" / "prog";
        WriteBytes(Program, "old program");
        ServeFiles(Server, Files, Requests);
        ServeShortBody(Server);
        Server.Start();
        Updater = std::make_unique<TauUpdater>(Dispatcher, nullptr);
        Updater->SetPublicKey(Keys.PublicBase64);
        Updater->SetProgramPath(Program.string());
        Updater->SetVersionControl(TauUpdaterVersionControl::byNumber);
        Updater->SetVersionNumber("2");
        Updater->StartReplacement = [this] {
            Replaced = Updater->DownloadedFiles();
            return std::string();
        };
        Record();
    }
    void TearDown() override {
        Updater.reset();
        unsetenv("TMPDIR");
        Server.Stop();
        fs::remove_all(Folder);
    }

    // Every outcome as one line; a check ends with the first that finishes it.
    void Record() {
        auto add = [this](const std::string& line, bool final) {
            Events.push_back(line);
            if (final) Finished = true;
        };
        Updater->OnNoInfoFile = [add](TauUpdater*) { add("noinfo", true); };
        Updater->OnNoUpdateAvailable = [add](TauUpdater*) { add("noupdate", true); };
        Updater->OnLaterUpgrade = [add](TauUpdater*) { add("later", true); };
        Updater->OnAborted = [add](TauUpdater*) { add("aborted", true); };
        Updater->OnConnLost = [add](TauUpdater*) { add("connlost", true); };
        Updater->OnHostUnreachable = [add](TauUpdater*, const std::string&,
                                           const std::string& host) {
            add("unreachable " + host, true);
        };
        Updater->OnReadOnlyInstallation = [add](TauUpdater*, const std::string& version) {
            add("readonly " + version, true);
        };
        Updater->OnBeginUpgrade = [add](TauUpdater*, const std::string& message,
                                        TacUpgradeMethod method, std::vector<std::string>& files,
                                        bool&) {
            add(Format("begin %d %zu [%s]", static_cast<int>(method), files.size(),
                       message.c_str()),
                false);
        };
        Updater->OnFileDone = [add](TauUpdater*, const std::string& name) {
            add("done " + fs::path(name).filename().string(), false);
        };
        Updater->OnLostFile = [this, add](TauUpdater*, const std::string& url, int code,
                                          bool& continueUpgrade) {
            add(Format("lost %s %d", fs::path(url).filename().c_str(), code), false);
            continueUpgrade = ContinueAfterLoss;
        };
        Updater->OnEndUpgrade = [add](TauUpdater*) { add("end", false); };
        Updater->OnDoOwnCloseAppMethod = [add](TauUpdater*) { add("close", true); };
    }

    std::string InfoFile(const std::string& body, bool sign = true) {
        fs::path path = Folder / "update.inf";
        WriteBytes(path, sign ? Keys.Sign(body) : body);
        return "file://" + path.string();
    }
    std::string Serve(const std::string& name, const std::string& bytes) {
        Files[name] = bytes;
        return Server.Url("/files/" + name);
    }
    std::vector<std::string> Check(const std::string& infoUrl) {
        Events.clear();
        Finished = false;
        Updater->SetInfoFileURL(infoUrl);
        Updater->CheckUpdate();
        EXPECT_TRUE(Dispatcher.PumpUntil([this] { return Finished; }));
        Dispatcher.ProcessPending();
        return Events;
    }

    fs::path Folder, Program;
    TKeyPair Keys;
    TLocalWebServer Server;
    std::map<std::string, std::string> Files;
    std::atomic<int> Requests{0};
    platform::TPumpedDispatcher Dispatcher;
    std::unique_ptr<TauUpdater> Updater;
    std::vector<std::string> Events;
    std::vector<std::string> Replaced;
    bool Finished = false;
    bool ContinueAfterLoss = false;
};

using Lines = std::vector<std::string>;

TEST_F(UpdaterTest, OnlyASignedFileReadSafelyOffersAnything) {
    const std::string url = Serve("prog", "new");
    const std::string body = "#version=3\n#url=" + url + "\n#sha256=" + Hex("new") + "\n";
    EXPECT_EQ(Check(InfoFile(body, false)), Lines{"noinfo"});
    std::string tampered = Keys.Sign(body);
    tampered[10] = '9'; // "#version=3" becomes "#version=9" after signing
    WriteBytes(Folder / "update.inf", tampered);
    EXPECT_EQ(Check("file://" + (Folder / "update.inf").string()), Lines{"noinfo"});
    TKeyPair other;
    WriteBytes(Folder / "update.inf", other.Sign(body));
    EXPECT_EQ(Check("file://" + (Folder / "update.inf").string()), Lines{"noinfo"});
    // Over plain http the file is never even asked for.
    Files["update.inf"] = Keys.Sign(body);
    EXPECT_EQ(Check(Server.Url("/files/update.inf")), Lines{"noinfo"});
    EXPECT_EQ(Requests, 0);
    // A program built without a key never upgrades.
    Updater->SetPublicKey("");
    EXPECT_EQ(Check(InfoFile(body)), Lines{"noinfo"});
    Updater->SetPublicKey(Keys.PublicBase64);
    EXPECT_EQ(Check(InfoFile(body)), Lines({"begin 0 1 []", "done prog.uTMP", "end", "close"}));
    EXPECT_EQ(Requests, 1);
}

TEST_F(UpdaterTest, TheOfferMustBeNewerAndNameAFile) {
    const std::string file = "#url=" + Serve("prog", "new") + "\n#sha256=" + Hex("new") + "\n";
    Updater->StartReplacement = [] { return std::string("not in this test"); };
    Updater->OnBeginUpgrade = [this](TauUpdater*, const std::string&, TacUpgradeMethod,
                                     std::vector<std::string>&, bool& canUpgrade) {
        Events.push_back("begin");
        canUpgrade = false;
    };
    EXPECT_EQ(Check(InfoFile("#version=2.0\n" + file)), Lines{"noupdate"});
    EXPECT_EQ(Check(InfoFile("#version=10\n")), Lines{"noupdate"}); // newer, but no file
    EXPECT_EQ(Check(InfoFile("")), Lines{"noupdate"});
    EXPECT_EQ(Check(InfoFile("#version=2b\n" + file)), Lines({"begin", "later"}));

    Updater->SetVersionControl(TauUpdaterVersionControl::byDate);
    Updater->SetVersionDate("04/18/2010");
    EXPECT_EQ(Check(InfoFile("#date=04/18/2010\n" + file)), Lines{"noupdate"});
    EXPECT_EQ(Check(InfoFile("#date=04/19/2010\n" + file)), Lines({"begin", "later"}));
    // An unreadable remote date counts as today: newer than a past version, not than today's.
    EXPECT_EQ(Check(InfoFile("#date=soon\n" + file)), Lines({"begin", "later"}));
    Updater->SetVersionDate(DateText(NowLocal()));
    EXPECT_EQ(Check(InfoFile("#date=soon\n" + file)), Lines{"noupdate"});
}

TEST_F(UpdaterTest, FilesArriveVerifiedBesideTheProgramWithTheServersTimes) {
    const std::string program = std::string(300000, 'P') + "new program";
    const std::string body = "#version=3\n#message={Fixes}\n#url=" + Serve("prog-linux", program) +
                             "\n#url0=" + Serve("data.txt", "data") + "\n#sha256=" + Hex(program) +
                             "\n#sha2560=" + Hex("data") + "\n";
    std::vector<int> totals;
    Updater->OnProgress = [&](TauUpdater*, const std::string&, int64_t, int64_t, int64_t, int64_t,
                              uint8_t, uint8_t total, float) { totals.push_back(total); };
    EXPECT_EQ(Check(InfoFile(body)), Lines({"begin 0 2 [Fixes]", "done prog-linux.uTMP",
                                            "done data.txt.uTMP", "end", "close"}));
    EXPECT_EQ(ReadBytes(Folder / "app" / "prog-linux.uTMP"), program);
    EXPECT_EQ(ReadBytes(Folder / "app" / "data.txt.uTMP"), "data");
    EXPECT_EQ(ReadBytes(Program), "old program"); // replacing is the replacement program's job
    EXPECT_EQ(Replaced, Lines({"prog-linux.uTMP", "data.txt.uTMP"}));
    // Last-Modified: 18 Apr 2010 08:30:00 GMT.
    struct stat status {};
    ASSERT_EQ(stat((Folder / "app" / "data.txt.uTMP").c_str(), &status), 0);
    EXPECT_EQ(status.st_mtime, 1271579400);
    // The second file's share starts at half; the last step is whole.
    ASSERT_FALSE(totals.empty());
    EXPECT_LT(totals.front(), 50);
    EXPECT_EQ(totals.back(), 100);
    EXPECT_TRUE(std::is_sorted(totals.begin(), totals.end()));
    EXPECT_TRUE(std::find(totals.begin(), totals.end(), 50) != totals.end());
}

TEST_F(UpdaterTest, HostileOrMissingFilesAreLostAndNothingLandsOutsideTheFolder) {
    const std::string good = Serve("good.dat", "good");
    const std::string body =
        "#version=3\n#url=" + Serve("swapped.dat", "evil") + "\n#sha256=" + Hex("expected") +
        "\n#url0=" + Server.Url("/files/../x") + "\n#sha2560=" + Hex("x") +
        "\n#url3=" + Server.Url("/files/") + "\n#url4=" + Server.Url("/files/missing.dat") +
        "\n#url5=" + Serve("nodigest.dat", "n") + "\n#url6=" + good + "\n#sha2566=" + Hex("good") +
        "\n";
    Files["x"] = "x";
    ContinueAfterLoss = true;
    EXPECT_EQ(Check(InfoFile(body)),
              Lines({"begin 0 6 []", "lost swapped.dat -3", "lost x -4", "lost  -4",
                     "lost missing.dat 404", "lost nodigest.dat -3", "done good.dat.uTMP", "end",
                     "close"}));
    EXPECT_EQ(Replaced, Lines{"good.dat.uTMP"});
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(Folder / "app"))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, Lines({"good.dat.uTMP", "prog"}));
    EXPECT_FALSE(fs::exists(Folder / "x") || fs::exists(Folder / "x.uTMP"));

    // Answered No, the upgrade ends there and nothing restarts.
    ContinueAfterLoss = false;
    Replaced.clear();
    EXPECT_EQ(Check(InfoFile(body)), Lines({"begin 0 6 []", "lost swapped.dat -3", "aborted"}));
    EXPECT_TRUE(Replaced.empty());
}

TEST_F(UpdaterTest, SizeOnlyUpgradeSkipsUnchangedFilesButNeverTheProgram) {
    WriteBytes(Folder / "app" / "same.dat", "1234");
    WriteBytes(Program, "abcd");
    const std::string body = "#version=3\n#url=" + Serve("prog", "wxyz") +
                             "\n#url0=" + Serve("same.dat", "5678") +
                             "\n#url3=" + Serve("other.dat", "x") + "\n#sha256=" + Hex("wxyz") +
                             "\n#sha2560=" + Hex("5678") + "\n#sha2563=" + Hex("x") + "\n";
    Updater->SetMiscFilesUpgrade(TacMiscFilesUpgradeBehavior::mfuOnlyIfSizeDifferent);
    EXPECT_EQ(Check(InfoFile(body)),
              Lines({"begin 0 3 []", "done prog.uTMP", "done other.dat.uTMP", "end", "close"}));
    EXPECT_EQ(Replaced, Lines({"prog.uTMP", "other.dat.uTMP"}));
    EXPECT_FALSE(fs::exists(Folder / "app" / "same.dat.uTMP"));
    // With a single file it is always fetched.
    const std::string single =
        "#version=3\n#url=" + Serve("same.dat", "5678") + "\n#sha256=" + Hex("5678") + "\n";
    EXPECT_EQ(Check(InfoFile(single)),
              Lines({"begin 0 1 []", "done same.dat.uTMP", "end", "close"}));
}

TEST_F(UpdaterTest, ABrokenConnectionOrAnUnreachableHostEndsTheUpgrade) {
    const std::string body = "#version=3\n#url=" + Server.Url("/short") +
                             "\n#sha256=" + Hex(std::string(1000, 'x')) + "\n";
    EXPECT_EQ(Check(InfoFile(body)), Lines({"begin 0 1 []", "connlost"}));
    EXPECT_FALSE(fs::exists(Folder / "app" / "short.uTMP"));
    EXPECT_FALSE(Updater->Busy());
    // Port 1 of 127.0.0.1 does not answer.
    const std::string unreachable =
        "#version=3\n#url=http://127.0.0.1:1/prog\n#sha256=" + Hex("x") + "\n";
    EXPECT_EQ(Check(InfoFile(unreachable)), Lines({"begin 0 1 []", "unreachable 127.0.0.1"}));
    EXPECT_TRUE(Replaced.empty());
}

TEST_F(UpdaterTest, AnInstallationThatCannotBeWrittenOnlyPointsToTheReleasePage) {
    const std::string opened = (Folder / "opened").string();
    const std::string browser = (Folder / "browser.sh").string();
    WriteBytes(browser, "#!/bin/sh\necho \"$1\" > '" + opened + "'\n");
    fs::permissions(browser, fs::perms::owner_all);
    setenv("BROWSER", browser.c_str(), 1);
    Updater->InstallationWritable = [](const std::string&) { return false; };
    Updater->SetReleasePageURL("https://example.invalid/releases");
    const std::string body =
        "#version=3.1\n#url=" + Serve("prog", "new") + "\n#sha256=" + Hex("new") + "\n";
    EXPECT_EQ(Check(InfoFile(body)), Lines({"begin 0 1 []", "readonly 3.1"}));
    EXPECT_EQ(Requests, 0);
    for (int i = 0; i < 200 && !fs::exists(opened); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadBytes(opened), "https://example.invalid/releases\n");
    unsetenv("BROWSER");
}

TEST_F(UpdaterTest, TheRestartedProgramReportsTheLastUpgradeAndRemovesItsFolder) {
    std::vector<std::string> seen;
    auto make = [&](const std::string& message) {
        std::string folder = platform::CreatePrivateDirectory(TempFolder(), "quorvel-upgrade-");
        if (!message.empty()) WriteBytes(folder + "message.txt", message);
        setenv(replacer::kFolderVariable, folder.c_str(), 1);
        auto updater = std::make_unique<TauUpdater>(Dispatcher, nullptr);
        updater->OnAfterRestart = [&](TauUpdater*) { seen.push_back("restarted"); };
        updater->OnUpgradeFailed = [&](TauUpdater*, const std::string& text) {
            seen.push_back("failed " + text);
        };
        EXPECT_EQ(std::getenv(replacer::kFolderVariable), nullptr); // not passed on
        return std::make_pair(folder, std::move(updater));
    };
    auto [failedFolder, failed] = make("Could not replace data.txt: Is a directory");
    EXPECT_FALSE(fs::exists(failedFolder));
    failed->Loaded("/afterupgrade");
    EXPECT_EQ(seen, Lines({"restarted", "failed Could not replace data.txt: Is a directory"}));

    seen.clear();
    auto [okFolder, ok] = make("");
    ok->Loaded("/AfterUpgrade"); // the parameter must match exactly
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(fs::exists(okFolder));

    // A replacement program that gave up waiting left its message in its folder; a folder
    // without one belongs to an upgrade still under way.
    seen.clear();
    std::string gaveUp = platform::CreatePrivateDirectory(TempFolder(), "quorvel-upgrade-");
    WriteBytes(gaveUp + "message.txt", "quorvel did not end");
    std::string running = platform::CreatePrivateDirectory(TempFolder(), "quorvel-upgrade-");
    auto [laterFolder, later] = make("");
    later->Loaded("");
    EXPECT_EQ(seen, Lines{"failed quorvel did not end"});
    EXPECT_FALSE(fs::exists(gaveUp));
    EXPECT_TRUE(fs::exists(running));

    // A folder anyone may enter is not one the replacement program made: left alone.
    std::string open = platform::CreatePrivateDirectory(TempFolder(), "quorvel-upgrade-");
    fs::permissions(open, fs::perms::all);
    setenv(replacer::kFolderVariable, open.c_str(), 1);
    TauUpdater third(Dispatcher, nullptr);
    EXPECT_TRUE(fs::exists(open));
    fs::remove_all(open);
}

TEST_F(UpdaterTest, TheAutomaticCheckWaitsUntilOnlineAndRunsOnce) {
    std::atomic<bool> online{false};
    Updater->OnlineTest = [&online] { return online.load(); };
    Updater->SetAutoCheckInterval(20);
    Updater->SetInfoFileURL(InfoFile("#version=1\n"));
    Updater->SetShowMessages(0xFF);
    Updater->SetAutoCheck(true);
    Dispatcher.PumpUntil([] { return false; }, std::chrono::milliseconds(150));
    EXPECT_TRUE(Events.empty()); // offline: the ticks do nothing
    online = true;
    EXPECT_TRUE(Dispatcher.PumpUntil([this] { return Finished; }));
    EXPECT_EQ(Events, Lines{"noupdate"});
    // Once past the timer, no further check follows.
    Dispatcher.PumpUntil([] { return false; }, std::chrono::milliseconds(150));
    EXPECT_EQ(Events, Lines{"noupdate"});

    // A check the timer started that finds no host arms the timer again.
    Updater = std::make_unique<TauUpdater>(Dispatcher, nullptr);
    Record();
    Updater->SetPublicKey(Keys.PublicBase64);
    Updater->OnlineTest = [] { return true; };
    Updater->SetAutoCheckInterval(20);
    Updater->SetInfoFileURL("https://127.0.0.1:1/update.inf");
    Events.clear();
    Updater->SetAutoCheck(true);
    ASSERT_TRUE(Dispatcher.PumpUntil([this] { return Events.size() >= 2; }));
    EXPECT_EQ(Events[0], "unreachable 127.0.0.1");
    EXPECT_EQ(Events[1], "unreachable 127.0.0.1");
    Updater->SetAutoCheck(false);
}

} // namespace
