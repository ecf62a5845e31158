// A stand-in for quorvel in the upgrade test: the real update component with the test's key,
// no windows. Every outcome is appended as a line to the file $STANDIN_MARKER.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless/PumpedDispatcher.h"
#include "upgrade/Updater.h"

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// One line per note: line breaks inside become blanks.
void Note(std::string line) {
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    if (FILE* marker = std::fopen(Variable("STANDIN_MARKER").c_str(), "a")) {
        std::fprintf(marker, "%s\n", line.c_str());
        std::fclose(marker);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string parameter = argc > 1 ? argv[1] : "";
    Note("start v" STANDIN_VERSION " [" + parameter + "]");
    platform::TPumpedDispatcher dispatcher;
    TauUpdater updater(dispatcher, nullptr);
    updater.SetPublicKey(STANDIN_PUBLIC_KEY);
    updater.SetVersionControl(TauUpdaterVersionControl::byNumber);
    updater.SetVersionNumber(STANDIN_VERSION);
    updater.SetShowMessages(0);
    updater.SetCertificateAuthorityFile(Variable("STANDIN_CA"));
    updater.SetReleasePageURL(Variable("STANDIN_RELEASE_PAGE"));
    bool done = false;
    auto finish = [&done](const std::string& line) {
        Note(line);
        done = true;
    };
    updater.OnAfterRestart = [](TauUpdater*) { Note("after restart"); };
    updater.OnUpgradeFailed = [](TauUpdater*, const std::string& reason) {
        Note("failed " + reason);
    };
    updater.OnNoInfoFile = [&](TauUpdater*) { finish("no info file"); };
    updater.OnNoUpdateAvailable = [&](TauUpdater*) { finish("no update"); };
    updater.OnAborted = [&](TauUpdater*) { finish("aborted"); };
    updater.OnConnLost = [&](TauUpdater*) { finish("connection lost"); };
    updater.OnReadOnlyInstallation = [&](TauUpdater*, const std::string& version) {
        finish("read-only " + version);
    };
    updater.OnLostFile = [](TauUpdater*, const std::string& url, int code, bool&) {
        Note("lost " + url + " " + std::to_string(code));
    };
    updater.OnFileDone = [](TauUpdater*, const std::string& name) {
        Note("file " + name.substr(name.rfind('/') + 1));
    };
    updater.OnDoOwnCloseAppMethod = [&](TauUpdater*) { finish("closing"); };
    updater.Loaded(parameter);
    if (!parameter.empty()) return 0; // restarted: the report above is all

    std::string url = UpdateInfoFileUrl("");
    if (url.empty()) {
        Note("no check");
        return 0;
    }
    updater.SetInfoFileURL(url);
    updater.CheckUpdate();
    if (!dispatcher.PumpUntil([&done] { return done; }, std::chrono::seconds(60)))
        Note("timed out");
    return 0;
}
