#include "upgrade/Updater.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "base/Exception.h"
#include "base/Format.h"
#include "platform/Crypto.h"
#include "platform/Environment.h"
#include "platform/FileLock.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "platform/LocalFile.h"
#include "platform/Process.h"
#include "replacer/Image.h"
#include "replacer/Protocol.h"
#include "upgrade/Url.h"

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The name a URL's file gets beside the program: the last segment of its decoded path. Nothing
// when that is no plain name, or when the path has "." or ".." segments (the server would
// answer for another file than the one named).
std::optional<std::string> DownloadName(const std::string& url) {
    TUrlParts parts;
    if (!CrackUrl(url, parts)) return std::nullopt;
    std::string_view path = parts.Path;
    for (size_t start = 0;;) {
        size_t slash = path.find('/', start);
        std::string_view segment = path.substr(start, slash - start);
        if (segment == "." || segment == "..") return std::nullopt;
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    std::string name = NameOf(parts.Path);
    if (!replacer::IsPlainFileName(name)) return std::nullopt;
    return name;
}

// The information file must not be open to anyone on the network path.
bool SecureInfoFileUrl(const std::string& url) {
    return StartsText("https://", url) || StartsText("file:", url);
}

} // namespace

TauUpdater::TauUpdater(platform::Dispatcher& dispatcher, TUpdaterUi* ui)
    : TauCustomHTTP(dispatcher), FUi(ui), FDispatcher(dispatcher),
      FAlive(std::make_shared<bool>(true)) {
    FVersionDate = DateText(NowLocal());
    FProgramPath = platform::ExecutablePath();
    // The replacement program waits until no running copy of us holds this lock.
    platform::HoldExecutableLock();
    SetUpdaterLanguage(FWizard.Language);
    InstallationWritable = [](const std::string& directory) {
        return platform::DirectoryWritable(directory);
    };
    OnlineTest = [] { return IsOnline(); };
    StartReplacement = [this] { return StartReplacer(); };
    if (FUi) FUi->OnWizardAborted = [this] { AbortUpgrade(); };

    OnHTTPHeaderInfo = [this](TauCustomHTTP*, const std::string&, const std::string&,
                              const std::string&, const std::string&, const std::string&,
                              int64_t contentLength, TDateTime, TDateTime lastModified, TDateTime,
                              bool& continueTransfer) {
        if (FPhase == TPhase::Downloading)
            HeaderInfo(contentLength, lastModified, continueTransfer);
    };
    OnHTTPProgress = [this](TauCustomHTTP*, const std::string&, int64_t contentLength,
                            int64_t bytesRead, int64_t elapsedTime, int64_t timeLeft,
                            uint8_t percentDone, float transferRate, TStream*) {
        if (FPhase == TPhase::Downloading)
            Progress(contentLength, bytesRead, elapsedTime, timeLeft, percentDone, transferRate);
    };
    OnHTTPDone = [this](TauCustomHTTP*, const std::string&, int64_t, TStream* stream) {
        Done(stream);
    };
    OnHTTPIncomplete = [this](TauCustomHTTP*, const std::string&, int64_t, int64_t, TStream*) {
        Incomplete();
    };
    OnHTTPHostUnreachable = [this](TauCustomHTTP*) { HostUnreachable(); };
    OnHTTPError = [this](TauCustomHTTP*, int status, TStream*) { Error(status); };
    OnHTTPSkipped = [this](TauCustomHTTP*) {
        if (FPhase == TPhase::Downloading) NextFile();
    };
    OnHTTPPasswordRequest = [this](TauCustomHTTP*, const std::string& realm, bool& tryAgain) {
        PasswordRequest(realm, tryAgain);
    };

    RemoveLeftovers();
}

TauUpdater::~TauUpdater() {
    *FAlive = false;
    FAutoCheck = false;
    StopAutoCheckTimer();
    if (FUi) FUi->OnWizardAborted = nullptr;
}

void TauUpdater::SetRestartParams(const std::string& value) {
    FRestartParams = value.empty() ? " " : value;
}

void TauUpdater::SetWizard(const TauUpdaterWizard& value) {
    FWizard = value;
    SetUpdaterLanguage(value.Language);
}

// ---- the automatic check ----

void TauUpdater::SetAutoCheck(bool value) {
    if (value == FAutoCheck) return;
    FAutoCheck = value;
    ReevaluateTimer();
}

void TauUpdater::ReevaluateTimer() {
    StopAutoCheckTimer();
    if (FAutoCheck && !FAutoStarted) StartAutoCheckTimer();
}

void TauUpdater::StartAutoCheckTimer() {
    FTimerStop = false;
    uint64_t generation = ++FTimerGeneration;
    std::shared_ptr<bool> alive = FAlive;
    try {
        FTimer = std::thread([this, generation, alive] {
            std::unique_lock lock(FTimerMutex);
            while (!FTimerWake.wait_for(lock, std::chrono::milliseconds(FAutoCheckInterval),
                                        [this] { return FTimerStop; })) {
                FDispatcher.Post([this, generation, alive] {
                    // A tick queued before the timer was stopped or the updater went is void.
                    if (*alive && generation == FTimerGeneration) AutoCheckTick();
                });
            }
        });
    } catch (const std::system_error&) {
        throw Exception("Not enough timers available");
    }
}

void TauUpdater::StopAutoCheckTimer() {
    {
        std::lock_guard lock(FTimerMutex);
        FTimerStop = true;
    }
    FTimerWake.notify_all();
    if (FTimer.joinable()) FTimer.join();
    ++FTimerGeneration;
}

void TauUpdater::AutoCheckTick() {
    if (!OnlineTest() || !FAutoCheck) return; // offline: the next tick tries again
    FAutoStarted = true;
    ReevaluateTimer();
    CheckUpdate();
    FTimerRun = true;
}

// ---- the check ----

void TauUpdater::CheckUpdate() {
    if (Busy() || FPhase != TPhase::Idle) return;
    FAborted = false;
    FTimerRun = false;
    if (!SecureInfoFileUrl(FInfoFileURL)) {
        // Read over plain http the file could be swapped on the way; it counts as missing.
        std::shared_ptr<bool> alive = FAlive;
        FDispatcher.Post([this, alive] {
            if (*alive) NoInfoFile();
        });
        return;
    }
    FPhase = TPhase::Checking;
    SetURL(FInfoFileURL);
    SetOutputFileName("");
    SetUseCache(false);
    if (!Read()) FPhase = TPhase::Idle;
}

void TauUpdater::NoInfoFile() {
    if (OnNoInfoFile) OnNoInfoFile(this);
    if (Shows(mNoInfoFile)) FUi->ErrorBox(UpdaterText(utNoInfoFile));
}

bool TauUpdater::OfferIsNewer(std::string_view text) const {
    if (FVersionControl == TauUpdaterVersionControl::byNumber)
        return CompareVersionNumbers(InfoFileValue(text, "version"), FVersionNumber) > 0;
    TDateTime today = std::floor(NowLocal());
    TDateTime remote = ParseVersionDate(InfoFileValue(text, "date")).value_or(today);
    TDateTime local = ParseVersionDate(FVersionDate).value_or(today);
    return local < remote;
}

void TauUpdater::InfoFileArrived(const std::string& body) {
    FPhase = TPhase::Idle;
    std::optional<std::string_view> text = SignedInfoFileBody(body, FPublicKey);
    if (!text) {
        NoInfoFile();
        return;
    }
    FUrls.clear();
    FDigests.clear();
    for (TInfoFileEntry& entry : InfoFileEntries(*text)) {
        FDigests[entry.Url] = LowerCase(entry.Sha256);
        FUrls.push_back(std::move(entry.Url));
    }
    if (!OfferIsNewer(*text) || FUrls.empty()) {
        if (OnNoUpdateAvailable) OnNoUpdateAvailable(this);
        if (!FTimerRun && Shows(mNoUpdateAvailable)) FUi->ErrorBox(UpdaterText(utNoUpdate));
        return;
    }
    bool canUpgrade = true;
    std::string message = InfoFileValue(*text, "message");
    TacUpgradeMethod method = UpgradeMethodFromValue(InfoFileValue(*text, "method"));
    if (OnBeginUpgrade) OnBeginUpgrade(this, message, method, FUrls, canUpgrade);
    if (!canUpgrade) {
        if (OnLaterUpgrade) OnLaterUpgrade(this);
        return;
    }
    if (method != TacUpgradeMethod::umRedirectToURL &&
        !InstallationWritable(FolderOf(FProgramPath))) {
        // A system package: only the package manager may replace it.
        std::string version = InfoFileValue(
            *text, FVersionControl == TauUpdaterVersionControl::byNumber ? "version" : "date");
        if (OnReadOnlyInstallation) OnReadOnlyInstallation(this, version);
        if (Shows(mAskUpgrade))
            FUi->InformationBox(
                Format(UpdaterText(utReadOnlyInstallation).c_str(), version.c_str()));
        if (!FReleasePageURL.empty()) OpenUrl(FReleasePageURL);
        return;
    }
    if (Shows(mAskUpgrade) && !FUi->AskUpgrade(message)) {
        if (OnLaterUpgrade) OnLaterUpgrade(this);
        return;
    }
    if (method == TacUpgradeMethod::umRedirectToURL) {
        if (!FUrls.empty()) OpenUrl(FUrls.front());
        return;
    }
    FMethod = method;
    StartDownload();
}

// ---- the download ----

void TauUpdater::StartDownload() {
    FPhase = TPhase::Downloading;
    SetUseCache(true);
    FIndex = 0;
    FDownloaded.clear();
    if (FUi && FWizard.Enabled) FUi->ShowWizard(FWizard);
    FetchFile();
}

bool TauUpdater::WizardShown() const {
    return FUi && FUi->WizardShown();
}

void TauUpdater::FetchFile() {
    if (FIndex >= FUrls.size()) {
        AllFilesDone();
        return;
    }
    FCurrentURL = FUrls[FIndex];
    FLastModified = 0;
    if (WizardShown())
        FUi->WizardFile(FCurrentURL, static_cast<int>(FIndex + 1), static_cast<int>(FUrls.size()));
    std::optional<std::string> name = DownloadName(FCurrentURL);
    if (!name) {
        FLocalPath.clear();
        LoseFile(kStatusUnusableName);
        return;
    }
    FLocalPath = FolderOf(FProgramPath) + *name + std::string(replacer::kDownloadSuffix);
    SetURL(FCurrentURL);
    SetOutputFileName(FLocalPath);
    SetHiddenOutputFile(true);
    if (!Read()) LoseFile(kStatusOutputFileFailed);
}

void TauUpdater::NextFile() {
    ++FIndex;
    FetchFile();
}

void TauUpdater::HeaderInfo(int64_t contentLength, TDateTime lastModified, bool& continueTransfer) {
    FLastModified = lastModified;
    if (WizardShown()) FUi->WizardFileSize(contentLength);
    bool canUpgrade = true;
    if (FMiscFilesUpgrade == TacMiscFilesUpgradeBehavior::mfuOnlyIfSizeDifferent &&
        contentLength != 0 && FUrls.size() > 1) {
        std::string local =
            FLocalPath.substr(0, FLocalPath.size() - replacer::kDownloadSuffix.size());
        // The program itself is always fetched, whatever its size.
        if (UpperCase(NameOf(local)) != UpperCase(NameOf(FProgramPath)) &&
            platform::FileExists(local))
            canUpgrade = platform::FileSize(local) != contentLength;
    }
    if (OnFileStart) OnFileStart(this, FCurrentURL, contentLength, lastModified, canUpgrade);
    continueTransfer = canUpgrade;
}

void TauUpdater::Progress(int64_t contentLength, int64_t bytesRead, int64_t elapsedTime,
                          int64_t timeLeft, uint8_t percentDone, float transferRate) {
    auto count = static_cast<int>(FUrls.size());
    // Rounded to nearest, ties to even, as the files already done count.
    int total = static_cast<int>(std::nearbyint(static_cast<double>(FIndex) * 100.0 / count)) +
                percentDone / count;
    auto totalPercentsDone = static_cast<uint8_t>(std::min(total, 100));
    if (OnProgress)
        OnProgress(this, FCurrentURL, contentLength, bytesRead, elapsedTime, timeLeft, percentDone,
                   totalPercentsDone, transferRate);
    if (WizardShown()) FUi->WizardProgress(percentDone, totalPercentsDone, transferRate, timeLeft);
}

void TauUpdater::Done(TStream* stream) {
    if (FPhase == TPhase::Checking) {
        auto* memory = dynamic_cast<TMemoryStream*>(stream);
        InfoFileArrived(memory ? memory->Data() : std::string());
        return;
    }
    if (FPhase != TPhase::Downloading) return;
    // Only the bytes the signed file names may be installed.
    auto expected = FDigests.find(FCurrentURL);
    std::optional<std::string> actual = platform::Sha256OfFile(FLocalPath);
    if (expected == FDigests.end() || !actual ||
        LowerCase(BytesToHex(*actual)) != expected->second) {
        platform::RemoveLocalFile(FLocalPath);
        LoseFile(kStatusDigestMismatch);
        return;
    }
    if (FLastModified != 0)
        platform::SetFileModificationTime(FLocalPath, LocalDateTimeToUnix(FLastModified));
    std::string name = NameOf(FLocalPath);
    if (std::find(FDownloaded.begin(), FDownloaded.end(), name) == FDownloaded.end())
        FDownloaded.push_back(name);
    if (OnFileDone) OnFileDone(this, FLocalPath);
    NextFile();
}

void TauUpdater::LoseFile(int errorCode) {
    bool continueUpgrade = false;
    if (OnLostFile) OnLostFile(this, FCurrentURL, errorCode, continueUpgrade);
    if (Shows(mLostFile))
        continueUpgrade =
            FUi->AskYesNo(Format(UpdaterText(utLostFile).c_str(), UrlFileName(FCurrentURL).c_str()),
                          UpdaterText(utError) + " #" + std::to_string(errorCode));
    if (continueUpgrade)
        NextFile();
    else
        AbortUpgrade();
}

void TauUpdater::AllFilesDone() {
    if (WizardShown()) {
        FUi->ShowFinished();
        if (FAborted) return;
    }
    if (OnEndUpgrade) OnEndUpgrade(this);
    Restart();
}

// ---- failures ----

void TauUpdater::Error(int status) {
    if (FPhase == TPhase::Checking) {
        FPhase = TPhase::Idle;
        NoInfoFile();
    } else if (FPhase == TPhase::Downloading) {
        LoseFile(status);
    }
}

void TauUpdater::Incomplete() {
    if (FPhase == TPhase::Idle) return;
    if (OnConnLost) OnConnLost(this);
    if (Shows(mConnLost)) FUi->ErrorBox(UpdaterText(utConnectionLost));
    Cancel();
}

void TauUpdater::HostUnreachable() {
    if (FPhase == TPhase::Idle) return;
    std::string host = UrlHostName(URL());
    if (OnHostUnreachable) OnHostUnreachable(this, URL(), host);
    if (FTimerRun) {
        // The timer tries again until the host answers.
        FAutoStarted = false;
        ReevaluateTimer();
    } else if (Shows(mHostUnreachable)) {
        TUrlParts parts;
        std::string scheme = CrackUrl(URL(), parts) ? parts.Scheme : "http";
        FUi->ErrorBox(
            Format(UpdaterText(utHostUnreachable).c_str(), (scheme + "://" + host + "'").c_str()));
    }
    Cancel();
}

void TauUpdater::PasswordRequest(const std::string& realm, bool& tryAgain) {
    tryAgain = false;
    if (OnPasswordRequest) OnPasswordRequest(this, realm, tryAgain);
    if (tryAgain || !Shows(mPasswordRequest)) return;
    std::string username = HTTPUsername(), password;
    if (FUi->AskPassword(UrlFileName(URL()), username, password)) {
        SetHTTPUsername(username);
        SetHTTPPassword(password);
        tryAgain = true;
    } else {
        AbortUpgrade();
    }
}

void TauUpdater::AbortUpgrade() {
    FAborted = true;
    Cancel();
    if (OnAborted) OnAborted(this);
}

void TauUpdater::Cancel() {
    if (Busy()) AbortTransfer();
    if (FUi) FUi->CloseWindows();
    FPhase = TPhase::Idle;
}

// ---- replacement and restart ----

void TauUpdater::Restart() {
    std::string error = StartReplacement();
    FPhase = TPhase::Idle;
    if (!error.empty()) {
        ReportUpgradeFailed(error);
        return;
    }
    if (OnDoOwnCloseAppMethod)
        OnDoOwnCloseAppMethod(this);
    else if (CloseApplication)
        CloseApplication();
}

std::string TauUpdater::StartReplacer() {
    std::string_view image = replacer::ReplacerImage();
    // A folder of our own: in the shared temporary folder another user could have put a file
    // under the program's name and have it run with our rights.
    std::string folder =
        platform::CreatePrivateDirectory(TempFolder(), std::string(replacer::kFolderPrefix));
    if (folder.empty()) return "The replacement program's folder could not be created.";
    std::string program = folder + std::string(replacer::kProgramName);
    std::string list = folder + std::string(replacer::kListName);
    replacer::TReplacementList files{platform::CurrentProcessId(), FDownloaded};
    std::string written;
    bool ok = platform::WriteNewFile(program, std::string(image), 0700) &&
              platform::ReadWholeFile(program, written) && written == image &&
              platform::WriteNewFile(list, replacer::FormatReplacementList(files), 0600);
    std::string method = FMethod == TacUpgradeMethod::umUseExternalSetup ? "1" : "0";
    if (ok)
        ok = platform::StartProgram(program, {FProgramPath, "+" + FRestartParams + method, list});
    if (ok) return "";
    platform::RemoveDirectoryTree(folder);
    return "The replacement program could not be written or started.";
}

void TauUpdater::ReportUpgradeFailed(const std::string& reason) {
    if (OnUpgradeFailed) OnUpgradeFailed(this, reason);
    if (FUi) FUi->ErrorBox(Format(UpdaterText(utReplacementFailed).c_str(), reason.c_str()));
}

// ---- after a restart ----

void TauUpdater::RemoveLeftovers() {
    std::string temp = TempFolder();
    // The folder of the upgrade that started us.
    if (std::optional<std::string> named =
            platform::EnvironmentVariable(replacer::kFolderVariable)) {
        // Programs we start must not take the folder for theirs.
        platform::RemoveEnvironmentVariable(replacer::kFolderVariable);
        TakeUpgradeFolder(temp, *named);
    }
    // Upgrades that ended without starting us (a replacement program that gave up waiting)
    // left their message behind.
    for (const std::string& name : platform::DirectoryEntries(temp))
        if (name.starts_with(replacer::kFolderPrefix) &&
            platform::FileExists(temp + name + "/" + std::string(replacer::kMessageName)))
            TakeUpgradeFolder(temp, temp + name);
}

void TauUpdater::TakeUpgradeFolder(const std::string& temp, std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    // Only a folder the replacement program of ours made: one level below the temporary
    // folder, with its name, ours alone.
    if (!folder.starts_with(temp + std::string(replacer::kFolderPrefix)) ||
        folder.find('/', temp.size()) != folder.size() - 1 ||
        !platform::IsOwnPrivateDirectory(folder))
        return;
    std::string message;
    if (platform::ReadWholeFile(folder + std::string(replacer::kMessageName), message)) {
        if (!FFailureMessage.empty()) FFailureMessage += "\n\n";
        FFailureMessage += message.empty() ? "?" : message;
    }
    platform::RemoveDirectoryTree(folder);
}

void TauUpdater::Loaded(const std::string& firstParameter) {
    if (OnAfterRestart && firstParameter == FRestartParams) OnAfterRestart(this);
    if (!FFailureMessage.empty()) {
        std::string message = std::move(FFailureMessage);
        FFailureMessage.clear();
        ReportUpgradeFailed(message);
    }
}

std::string UpdateInfoFileUrl(const std::string& builtIn) {
    return platform::EnvironmentVariable("QUORVEL_UPDATE_URL").value_or(builtIn);
}
