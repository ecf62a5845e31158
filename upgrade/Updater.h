// TauUpdater: checks the update information file, asks the user, downloads the new files
// beside the program and hands them to the replacement program, which restarts the program.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "upgrade/HTTP.h"
#include "upgrade/InfoFile.h"
#include "upgrade/UpdaterUi.h"

enum class TauUpdaterVersionControl { byDate, byNumber };
enum class TacMiscFilesUpgradeBehavior { mfuAlwaysDownload, mfuOnlyIfSizeDifferent };

// The set of built-in messages and windows that appear, one bit each.
enum TauUpdaterShowMessage : uint8_t {
    mAskUpgrade = 1 << 0,
    mConnLost = 1 << 1,
    mHostUnreachable = 1 << 2,
    mLostFile = 1 << 3,
    mNoInfoFile = 1 << 4,
    mNoUpdateAvailable = 1 << 5,
    mPasswordRequest = 1 << 6
};
using TauUpdaterShowMessages = uint8_t;
inline constexpr TauUpdaterShowMessages kDefaultShowMessages =
    mAskUpgrade | mConnLost | mLostFile | mPasswordRequest;

// Design-time contents of an information file; stored with the form, never read by a check.
struct TauUpdaterInfo {
    std::vector<std::string> Files;
    TacUpgradeMethod UpgradeMethod = TacUpgradeMethod::umSelfUpgrade;
    std::string UpgradeMsg;
};

class TauUpdater;
using TauUpdaterNotifyEvent = std::function<void(TauUpdater* sender)>;
using TauUpdaterBeginUpgradeEvent = std::function<void(
    TauUpdater* sender, const std::string& upgradeMsg, TacUpgradeMethod upgradeMethod,
    std::vector<std::string>& files, bool& canUpgrade)>;
using TauUpdaterHostUnreachableEvent =
    std::function<void(TauUpdater* sender, const std::string& url, const std::string& hostname)>;
using TauUpdaterPasswordRequestEvent =
    std::function<void(TauUpdater* sender, const std::string& realm, bool& tryAgain)>;
using TauUpdaterFileStartEvent =
    std::function<void(TauUpdater* sender, const std::string& fileURL, int64_t fileSize,
                       TDateTime fileTime, bool& canUpgrade)>;
using TauUpdaterProgressEvent =
    std::function<void(TauUpdater* sender, const std::string& fileURL, int64_t fileSize,
                       int64_t bytesRead, int64_t elapsedTime, int64_t estimatedTimeLeft,
                       uint8_t percentsDone, uint8_t totalPercentsDone, float transferRate)>;
using TauUpdaterFileDoneEvent =
    std::function<void(TauUpdater* sender, const std::string& fileName)>;
using TauUpdaterLostFileEvent = std::function<void(TauUpdater* sender, const std::string& fileURL,
                                                   int errorCode, bool& continueUpgrade)>;
using TauUpdaterTextEvent = std::function<void(TauUpdater* sender, const std::string& text)>;

class TauUpdater : public TauCustomHTTP {
public:
    // OnLostFile's error codes beside HTTP statuses: the file's digest is missing or differs
    // from the signed one; the URL gives no usable file name.
    static constexpr int kStatusDigestMismatch = -3;
    static constexpr int kStatusUnusableName = -4;

    // ui may be null: no window or box then appears, as if ShowMessages were empty and the
    // wizard disabled. Removes what an earlier upgrade left in the temporary folder.
    TauUpdater(platform::Dispatcher& dispatcher, TUpdaterUi* ui);
    ~TauUpdater() override;

    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool value);
    const TauUpdaterInfo& InfoFile() const { return FInfoFile; }
    void SetInfoFile(const TauUpdaterInfo& value) { FInfoFile = value; }
    const std::string& InfoFileURL() const { return FInfoFileURL; }
    void SetInfoFileURL(const std::string& value) { FInfoFileURL = value; }
    const std::string& RestartParams() const { return FRestartParams; }
    // An empty text is stored as a single blank.
    void SetRestartParams(const std::string& value);
    TacMiscFilesUpgradeBehavior MiscFilesUpgrade() const { return FMiscFilesUpgrade; }
    void SetMiscFilesUpgrade(TacMiscFilesUpgradeBehavior value) { FMiscFilesUpgrade = value; }
    TauUpdaterVersionControl VersionControl() const { return FVersionControl; }
    void SetVersionControl(TauUpdaterVersionControl value) { FVersionControl = value; }
    // month/day/year, as "04/18/2010"; today's date by default.
    const std::string& VersionDate() const { return FVersionDate; }
    void SetVersionDate(const std::string& value) { FVersionDate = value; }
    bool VersionDateAutoSet() const { return FVersionDateAutoSet; }
    void SetVersionDateAutoSet(bool value) { FVersionDateAutoSet = value; }
    const std::string& VersionNumber() const { return FVersionNumber; }
    void SetVersionNumber(const std::string& value) { FVersionNumber = value; }
    TauUpdaterShowMessages ShowMessages() const { return FShowMessages; }
    void SetShowMessages(TauUpdaterShowMessages value) { FShowMessages = value; }
    const TauUpdaterWizard& Wizard() const { return FWizard; }
    // Also chooses the language of every text (SetUpdaterLanguage).
    void SetWizard(const TauUpdaterWizard& value);

    // The base64 raw Ed25519 key the information file must be signed with. Empty: every
    // information file counts as missing, so nothing is ever upgraded.
    const std::string& PublicKey() const { return FPublicKey; }
    void SetPublicKey(const std::string& value) { FPublicKey = value; }
    // Opened when an update is offered to an installation that cannot update itself; empty for
    // none.
    const std::string& ReleasePageURL() const { return FReleasePageURL; }
    void SetReleasePageURL(const std::string& value) { FReleasePageURL = value; }
    // The running program's path (the file the new version replaces): this executable.
    const std::string& ProgramPath() const { return FProgramPath; }
    void SetProgramPath(const std::string& value) { FProgramPath = value; }
    // How the program ends itself after starting the replacement program when
    // OnDoOwnCloseAppMethod is not assigned: the owner closes its main window and quits.
    std::function<void()> CloseApplication;
    // Whether the program's folder can take the new files (a seam for tests).
    std::function<bool(const std::string& directory)> InstallationWritable;
    // Writes and starts the replacement program for DownloadedFiles(); returns why it could not
    // (a seam for tests that stop before the real replacement).
    std::function<std::string()> StartReplacement;
    // The online test of the automatic check (a seam for tests) and its interval in ms.
    std::function<bool()> OnlineTest;
    void SetAutoCheckInterval(int milliseconds) { FAutoCheckInterval = milliseconds; }

    TauUpdaterBeginUpgradeEvent OnBeginUpgrade;
    TauUpdaterNotifyEvent OnLaterUpgrade;
    TauUpdaterNotifyEvent OnNoUpdateAvailable;
    TauUpdaterNotifyEvent OnNoInfoFile;
    TauUpdaterHostUnreachableEvent OnHostUnreachable;
    TauUpdaterNotifyEvent OnConnLost;
    TauUpdaterPasswordRequestEvent OnPasswordRequest;
    TauUpdaterNotifyEvent OnAborted;
    TauUpdaterFileStartEvent OnFileStart;
    TauUpdaterProgressEvent OnProgress;
    TauUpdaterFileDoneEvent OnFileDone;
    TauUpdaterLostFileEvent OnLostFile;
    TauUpdaterNotifyEvent OnEndUpgrade;
    TauUpdaterNotifyEvent OnDoOwnCloseAppMethod;
    TauUpdaterNotifyEvent OnAfterRestart;
    // An update is offered but the program's folder cannot be written (text: the version).
    TauUpdaterTextEvent OnReadOnlyInstallation;
    // The last upgrade could not be installed (text: the replacement program's reason), or
    // the replacement program could not be started.
    TauUpdaterTextEvent OnUpgradeFailed;

    // Starts one check; does nothing while a transfer runs.
    void CheckUpdate();
    void AbortUpgrade();
    // The owner has set the handlers: fires OnAfterRestart when firstParameter equals
    // RestartParams, and reports a failed replacement left by the last upgrade.
    void Loaded(const std::string& firstParameter);

    // For tests and the owner: whether a check or download is under way.
    bool Downloading() const { return FPhase == TPhase::Downloading; }
    // The files of the current download that arrived complete and verified.
    const std::vector<std::string>& DownloadedFiles() const { return FDownloaded; }

private:
    enum class TPhase { Idle, Checking, Downloading };

    void Cancel();
    void ReevaluateTimer();
    void StartAutoCheckTimer();
    void StopAutoCheckTimer();
    void AutoCheckTick();
    bool Shows(TauUpdaterShowMessage flag) const { return FUi && (FShowMessages & flag); }
    bool WizardShown() const;

    void InfoFileArrived(const std::string& body);
    bool OfferIsNewer(std::string_view text) const;
    void NoInfoFile();
    void StartDownload();
    void FetchFile();
    void NextFile();
    void AllFilesDone();
    void LoseFile(int errorCode);
    void Restart();
    // Empty when the replacement program runs; otherwise why it does not.
    std::string StartReplacer();
    void ReportUpgradeFailed(const std::string& reason);
    void RemoveLeftovers();
    void TakeUpgradeFolder(const std::string& temp, std::string folder);

    void HeaderInfo(int64_t contentLength, TDateTime lastModified, bool& continueTransfer);
    void Progress(int64_t contentLength, int64_t bytesRead, int64_t elapsedTime, int64_t timeLeft,
                  uint8_t percentDone, float transferRate);
    void Done(TStream* stream);
    void Incomplete();
    void HostUnreachable();
    void Error(int status);
    void PasswordRequest(const std::string& realm, bool& tryAgain);

    TUpdaterUi* FUi;
    bool FAutoCheck = false;
    TauUpdaterInfo FInfoFile;
    std::string FInfoFileURL = "http://";
    std::string FRestartParams = "/afterupgrade";
    TacMiscFilesUpgradeBehavior FMiscFilesUpgrade = TacMiscFilesUpgradeBehavior::mfuAlwaysDownload;
    TauUpdaterVersionControl FVersionControl = TauUpdaterVersionControl::byDate;
    std::string FVersionDate;
    bool FVersionDateAutoSet = true;
    std::string FVersionNumber;
    TauUpdaterShowMessages FShowMessages = kDefaultShowMessages;
    TauUpdaterWizard FWizard;
    std::string FPublicKey;
    std::string FReleasePageURL;
    std::string FProgramPath;

    TPhase FPhase = TPhase::Idle;
    bool FAborted = false;
    bool FAutoStarted = false;
    bool FTimerRun = false;
    TacUpgradeMethod FMethod = TacUpgradeMethod::umSelfUpgrade;
    std::vector<std::string> FUrls;
    std::map<std::string, std::string> FDigests; // URL -> hex SHA-256 from the signed file
    size_t FIndex = 0;
    std::string FCurrentURL, FLocalPath;
    TDateTime FLastModified = 0;
    std::vector<std::string> FDownloaded;
    std::string FFailureMessage; // left by the last upgrade's replacement program

    // The automatic check's timer: a thread that posts a tick every interval until stopped.
    int FAutoCheckInterval = 10000;
    std::mutex FTimerMutex;
    std::condition_variable FTimerWake;
    bool FTimerStop = false;
    uint64_t FTimerGeneration = 0; // main thread only
    std::thread FTimer;
    platform::Dispatcher& FDispatcher;
    std::shared_ptr<bool> FAlive; // ticks posted before destruction see it false
};

// The information file's address: the environment's QUORVEL_UPDATE_URL when it is set (empty
// turns the check off), else the one the program was built with. Empty means no check.
std::string UpdateInfoFileUrl(const std::string& builtIn);
