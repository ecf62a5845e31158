// The whole upgrade on this machine: an installed stand-in program (version 1) checks a local
// https server, downloads version 2 and a data file, and the real replacement program swaps
// them in and restarts it. Hostile answers must leave the installed program intact.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "base/Format.h"
#include "platform/Crypto.h"
#include "tests/common/TestFiles.h"
#include "tests/upgrade/LocalWebServer.h"

namespace fs = std::filesystem;

namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

std::string Hex(const std::string& bytes) {
    return LowerCase(BytesToHex(platform::Sha256(bytes)));
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

class UpgradeEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("quorvel-upgrade-e2e-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        Install = Folder / "install";
        Shared = Folder / "shared";
        Program = Install / "standin";
        Marker = (Shared / "marker").string();
        fs::remove_all(Folder);
        fs::create_directories(Install);
        fs::create_directories(Shared);
        // The read-only case runs as nobody: it must reach everything but the program folder.
        for (const fs::path& folder : {Folder, Install})
            fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
        fs::permissions(Shared, fs::perms::all);
        const std::string certificate = (Folder / "cert.pem").string();
        const std::string command =
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
            "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
            Quoted((Folder / "key.pem").string()) + " -out " + Quoted(certificate) + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        fs::permissions(certificate, fs::perms::others_read, fs::perm_options::add);
        Server = std::make_unique<TLocalWebServer>(certificate, (Folder / "key.pem").string());
        Server->Routes().Get("/update.inf",
                             [this](const httplib::Request&, httplib::Response& res) {
                                 res.set_content(InfoText, "text/plain");
                             });
        ServeFiles(*Server, Files, Requests);
        Server->Start();

        V1 = ReadBytes(STANDIN_V1);
        V2 = ReadBytes(STANDIN_V2);
        ASSERT_NE(V1, V2);
        fs::copy_file(STANDIN_V1, Program);
        fs::permissions(Program, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
        WriteBytes(Install / "data.txt", "old data");
        setenv("QUORVEL_UPDATE_URL", Server->Url("/update.inf").c_str(), 1);
        setenv("STANDIN_CA", certificate.c_str(), 1);
        setenv("STANDIN_MARKER", Marker.c_str(), 1);
        setenv("TMPDIR", Shared.c_str(), 1);
    }
    void TearDown() override {
        if (Server) Server->Stop();
        for (const char* name : {"QUORVEL_UPDATE_URL", "STANDIN_CA", "STANDIN_MARKER", "TMPDIR",
                                 "STANDIN_RELEASE_PAGE", "BROWSER"})
            unsetenv(name);
        fs::remove_all(Folder);
    }

    // Signs the file as a publisher does, with scripts/sign-update.sh.
    void Offer(const std::string& body) {
        const fs::path path = Folder / "update.inf";
        WriteBytes(path, body);
        const std::string command =
            std::string(SIGN_SCRIPT) + " " + Quoted(SIGNING_KEY) + " " + Quoted(path.string());
        ASSERT_EQ(std::system(command.c_str()), 0);
        InfoText = ReadBytes(path);
    }
    std::string Serve(const std::string& name, const std::string& bytes) {
        Files[name] = bytes;
        return Server->Url("/files/" + name);
    }
    // Runs the installed program and waits until its marker holds the expected last line (the
    // replacement program and the restarted program run on after it ends).
    std::vector<std::string> Run(const std::string& lastLine, const std::string& prefix = "") {
        const std::string command = prefix + Quoted(Program.string()) + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::vector<std::string> lines;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            lines.clear();
            std::istringstream in(ReadBytes(Marker));
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
            if (!lines.empty() && lines.back().starts_with(lastLine)) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return lines;
    }
    std::map<std::string, std::string> InstalledFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(Install))
            files[entry.path().filename().string()] =
                entry.is_directory() ? "<folder>" : ReadBytes(entry.path());
        return files;
    }
    // The replacement program's private folders left in the temporary folder.
    int LeftoverFolders() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(Shared))
            count += entry.path().filename().string().starts_with("quorvel-upgrade-");
        return count;
    }
    unsigned Mode(const fs::path& path) const {
        struct stat status {};
        stat(path.c_str(), &status);
        return status.st_mode & 07777;
    }

    fs::path Folder, Install, Shared, Program;
    std::string Marker;
    std::unique_ptr<TLocalWebServer> Server;
    std::string InfoText;
    std::map<std::string, std::string> Files;
    std::atomic<int> Requests{0};
    std::string V1, V2;
};

TEST_F(UpgradeEndToEndTest, VersionTwoIsInstalledAndRestarted) {
    // The new program comes under another name than the installed one: it is known as the one
    // ELF program among the files, and takes the installed program's name.
    Offer("Release notes are a remark.\n#version=2\n#method=0\n#message={Faster}\n#url=" +
          Serve("standin-linux-x86_64", V2) + "\n#sha256=" + Hex(V2) +
          "\n#url0=" + Serve("data.txt", "new data") + "\n#sha2560=" + Hex("new data") + "\n");
    std::vector<std::string> lines = Run("after restart");
    EXPECT_EQ(lines, std::vector<std::string>({"start v1 []", "file standin-linux-x86_64.uTMP",
                                               "file data.txt.uTMP", "closing",
                                               "start v2 [/afterupgrade]", "after restart"}));
    std::map<std::string, std::string> files = InstalledFiles();
    EXPECT_EQ(files.size(), 2u); // no downloads, backups or stray copies left
    EXPECT_TRUE(files["standin"] == V2);
    EXPECT_EQ(files["data.txt"], "new data");
    EXPECT_EQ(Mode(Program), 0755u);
    EXPECT_EQ(Mode(Install / "data.txt") & 0111, 0u);
    EXPECT_EQ(LeftoverFolders(), 0); // the restarted program removed the replacer's folder

    // Version 2 finds nothing newer.
    fs::remove(Marker);
    EXPECT_EQ(Run("no update"), std::vector<std::string>({"start v2 []", "no update"}));
}

TEST_F(UpgradeEndToEndTest, HostileAnswersLeaveTheProgramIntact) {
    const std::map<std::string, std::string> before = InstalledFiles();
    struct TCase {
        std::string Name, Body, LastLine;
        bool Tamper = false;
    };
    const std::string program = "#version=2\n#url=" + Serve("standin", V2) + "\n";
    const std::vector<TCase> cases = {
        {"bad signature", program + "#sha256=" + Hex(V2) + "\n", "no info file", true},
        {"digest mismatch", program + "#sha256=" + Hex(V1) + "\n", "aborted"},
        {"no digest", program, "aborted"},
        {"dot segments",
         "#version=2\n#url=" + Server->Url("/files/../x") + "\n#sha256=" + Hex("x") + "\n",
         "aborted"},
        {"plain http", "#version=2\n#url=" + Server->Url("/files/standin") + "\n", "aborted"}};
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        fs::remove(Marker);
        Offer(test.Body);
        if (test.Tamper) InfoText.replace(InfoText.find("version=2"), 9, "version=3");
        std::vector<std::string> lines = Run(test.LastLine);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), test.LastLine);
        EXPECT_EQ(InstalledFiles(), before);
        EXPECT_EQ(LeftoverFolders(), 0);
    }
    // Over plain http the information file counts as missing without being read.
    fs::remove(Marker);
    setenv("QUORVEL_UPDATE_URL",
           ("http://127.0.0.1:" + std::to_string(Server->Port()) + "/update.inf").c_str(), 1);
    EXPECT_EQ(Run("no info file").back(), "no info file");
}

TEST_F(UpgradeEndToEndTest, AFailedReplacementPutsTheOldProgramBackAndRunsIt) {
    // A non-empty folder where the data file should go: its rename fails after the program's.
    fs::remove(Install / "data.txt");
    fs::create_directories(Install / "data.txt");
    WriteBytes(Install / "data.txt" / "keep", "kept");
    Offer("#version=2\n#url=" + Serve("standin", V2) + "\n#sha256=" + Hex(V2) +
          "\n#url0=" + Serve("data.txt", "new data") + "\n#sha2560=" + Hex("new data") + "\n");
    std::vector<std::string> lines = Run("failed");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end() - 1),
              std::vector<std::string>({"start v1 [/afterupgrade]", "after restart"}));
    EXPECT_NE(lines.back().find("data.txt"), std::string::npos) << lines.back();
    std::map<std::string, std::string> files = InstalledFiles();
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(files["standin"] == V1);
    EXPECT_EQ(ReadBytes(Install / "data.txt" / "keep"), "kept");
    EXPECT_EQ(Mode(Program), 0755u);
    EXPECT_EQ(LeftoverFolders(), 0);
}

TEST_F(UpgradeEndToEndTest, AnInstallationTheUserCannotWriteOnlyPointsToTheReleasePage) {
    const fs::path opened = Shared / "opened";
    const fs::path browser = Folder / "browser.sh";
    WriteBytes(browser, "#!/bin/sh\necho \"$1\" > " + Quoted(opened.string()) + "\n");
    fs::permissions(browser, fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
    setenv("BROWSER", browser.c_str(), 1);
    setenv("STANDIN_RELEASE_PAGE", "https://releases.invalid/quorvel", 1);
    Offer("#version=2.1\n#url=" + Serve("standin", V2) + "\n#sha256=" + Hex(V2) + "\n");
    const std::map<std::string, std::string> before = InstalledFiles();
    // The tests run as root, who may write anywhere: the program runs as nobody instead.
    std::vector<std::string> lines =
        Run("read-only", "setpriv --reuid=nobody --regid=nogroup --clear-groups ");
    EXPECT_EQ(lines, std::vector<std::string>({"start v1 []", "read-only 2.1"}));
    EXPECT_EQ(InstalledFiles(), before);
    for (int i = 0; i < 500 && ReadBytes(opened).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadBytes(opened), "https://releases.invalid/quorvel\n");
}

TEST_F(UpgradeEndToEndTest, QuorvelCarriesNoTestKey) {
    const std::string quorvel = ReadBytes(QUORVEL_EXECUTABLE);
    ASSERT_GT(quorvel.size(), 100000u);
    EXPECT_EQ(quorvel.find(TEST_PUBLIC_KEY), std::string::npos);
    EXPECT_NE(ReadBytes(STANDIN_V1).find(TEST_PUBLIC_KEY), std::string::npos);
}

} // namespace
