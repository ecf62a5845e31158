// Fetching one URL at a time on a worker thread, with notifications on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Dispatcher.h"
#include "platform/HttpClient.h"
#include "upgrade/Stream.h"
#include "upgrade/Thread.h"
#include "upgrade/Utils.h"

enum class TauHTTPAccessType { atPreconfig, atDirect, atUseProxy };

struct TauHTTPProxy {
    TauHTTPAccessType AccessType = TauHTTPAccessType::atPreconfig;
    int ProxyPort = 8080;
    std::string ProxyServer;
    std::string ProxyBypass = "127.0.0.1;";
};

struct TauHTTPRange {
    int64_t StartRange = 0;
    int64_t EndRange = 0;
};

// Milliseconds; 0 keeps the library's own.
struct TauHTTPTimeouts {
    uint32_t ConnectTimeout = 0;
    uint32_t ReceiveTimeout = 0;
    uint32_t SendTimeout = 0;
};

class TauLoginComponent {
public:
    virtual ~TauLoginComponent() = default;
    const std::string& HTTPUsername() const { return FHTTPUsername; }
    void SetHTTPUsername(const std::string& value) { FHTTPUsername = value; }
    const std::string& HTTPPassword() const { return FHTTPPassword; }
    void SetHTTPPassword(const std::string& value) { FHTTPPassword = value; }

private:
    std::string FHTTPUsername, FHTTPPassword;
};

class TauCustomHTTP;

using TauHTTPHeaderInfoEvent = std::function<void(
    TauCustomHTTP* sender, const std::string& rawHeaders, const std::string& contentType,
    const std::string& contentLanguage, const std::string& contentEncoding,
    const std::string& location, int64_t contentLength, TDateTime date, TDateTime lastModified,
    TDateTime expires, bool& continueTransfer)>;
using TauHTTPProgressEvent =
    std::function<void(TauCustomHTTP* sender, const std::string& contentType, int64_t contentLength,
                       int64_t bytesRead, int64_t elapsedTime, int64_t timeLeft,
                       uint8_t percentDone, float transferRate, TStream* stream)>;
using TauHTTPPasswordRequestEvent =
    std::function<void(TauCustomHTTP* sender, const std::string& realm, bool& tryAgain)>;
using TauHTTPProxyAuthenticationEvent = std::function<void(
    TauCustomHTTP* sender, std::string& proxyUsername, std::string& proxyPassword, bool& tryAgain)>;
using TauHTTPDoneEvent = std::function<void(TauCustomHTTP* sender, const std::string& contentType,
                                            int64_t bytesRead, TStream* stream)>;
using TauHTTPIncompleteEvent =
    std::function<void(TauCustomHTTP* sender, const std::string& contentType, int64_t contentLength,
                       int64_t bytesRead, TStream* stream)>;
using TauHTTPErrorEvent = std::function<void(TauCustomHTTP* sender, int status, TStream* stream)>;
using TauNotifyEvent = std::function<void(TauCustomHTTP* sender)>;

class TauCustomHTTP : public TauLoginComponent {
public:
    // The status OnHTTPError reports when the output file cannot be created or written: the
    // body was not kept, whatever the server said.
    static constexpr int kStatusOutputFileFailed = -2;

    explicit TauCustomHTTP(platform::Dispatcher& dispatcher);
    // Stops a running transfer without any notification.
    ~TauCustomHTTP() override;
    TauCustomHTTP(const TauCustomHTTP&) = delete;
    TauCustomHTTP& operator=(const TauCustomHTTP&) = delete;

    const std::string& URL() const { return FURL; }
    void SetURL(const std::string& value) { FURL = value; }
    const std::string& OutputFileName() const { return FOutputFileName; }
    void SetOutputFileName(const std::string& value) { FOutputFileName = value; }
    bool HiddenOutputFile() const { return FHiddenOutputFile; }
    void SetHiddenOutputFile(bool value) { FHiddenOutputFile = value; }
    const std::string& AcceptTypes() const { return FAcceptTypes; }
    void SetAcceptTypes(const std::string& value) { FAcceptTypes = value; }
    const std::string& Agent() const { return FAgent; }
    void SetAgent(const std::string& value) { FAgent = value; }
    // 255 to 2147483647; values outside are brought to the nearest end.
    int TransferBufferSize() const { return FTransferBufferSize; }
    void SetTransferBufferSize(int64_t value);
    bool UseCache() const { return FUseCache; }
    void SetUseCache(bool value) { FUseCache = value; }
    const TauHTTPProxy& Proxy() const { return FProxy; }
    void SetProxy(const TauHTTPProxy& value) { FProxy = value; }
    const TauHTTPRange& Range() const { return FRange; }
    void SetRange(const TauHTTPRange& value) { FRange = value; }
    const TauHTTPTimeouts& Timeouts() const { return FTimeouts; }
    void SetTimeouts(const TauHTTPTimeouts& value) { FTimeouts = value; }
    TThreadPriority ThreadPriority() const { return FThread->Priority(); }
    void SetThreadPriority(TThreadPriority value) { FThread->SetPriority(value); }
    // A certificate authority file trusted instead of the system's (tests); empty by default.
    void SetCertificateAuthorityFile(const std::string& path) { FCertificateAuthorityFile = path; }

    TauHTTPHeaderInfoEvent OnHTTPHeaderInfo;
    TauHTTPProgressEvent OnHTTPProgress;
    TauHTTPPasswordRequestEvent OnHTTPPasswordRequest;
    TauHTTPProxyAuthenticationEvent OnProxyAuthenticationRequest;
    TauHTTPDoneEvent OnHTTPDone;
    TauHTTPIncompleteEvent OnHTTPIncomplete;
    TauNotifyEvent OnHTTPHostUnreachable;
    TauHTTPErrorEvent OnHTTPError;
    TauNotifyEvent OnHTTPSkipped;
    TauNotifyEvent OnHTTPAborted;

    // Starts a GET of URL on a new worker; false (and nothing done) while one is running.
    bool Read();
    bool Busy() const { return FBusy; }
    // Stops a running transfer at once and fires OnHTTPAborted; a partly written output file
    // stays on disk.
    void AbortTransfer();

    // The last transfer, for the main thread between notifications.
    int Status() const { return FStatus; }
    const std::string& ContentType() const { return FContentType; }
    int64_t ContentLength() const { return FContentLength; }
    int64_t BytesRead() const { return FBytesRead; }

private:
    void RequestRoutine(); // worker
    bool SendWithAuthentication(platform::HttpSession& session, platform::HttpRequest& request);
    void FireHeaderInfo(platform::HttpSession& session);
    void ReadBody();     // worker
    void FireProgress(); // worker
    void Complete();     // main thread
    platform::HttpRequest MakeRequest(const struct TUrlParts& parts) const;

    std::unique_ptr<TauCustomThread> FThread;

    std::string FURL, FOutputFileName;
    bool FHiddenOutputFile = false;
    std::string FAcceptTypes = "text/html, */*";
    std::string FAgent;
    int FTransferBufferSize = 4096;
    bool FUseCache = true;
    TauHTTPProxy FProxy;
    TauHTTPRange FRange;
    TauHTTPTimeouts FTimeouts;
    std::string FCertificateAuthorityFile;

    // One transfer. The worker writes these while it runs; the main thread reads them in
    // notifications (the worker waits) and after the worker has finished or been stopped.
    bool FBusy = false;
    bool FDestroying = false;
    int FStatus = -1;
    std::string FContentType;
    int64_t FContentLength = 0;
    int64_t FBytesRead = 0;
    uint64_t FStartTime = 0;
    bool FContinue = true;
    bool FSuccess = false;
    bool FBodyFailed = false;   // the body ended early although the server said nothing
    bool FOutputFailed = false; // writing the output failed (disk full)
    std::string FProxyUsername, FProxyPassword;
    std::unique_ptr<TStream> FStream;
    std::unique_ptr<platform::TLocalFile> FLocalFile; // a file URL's file
    std::mutex FSessionMutex; // AbortTransfer reaches the session while the worker uses it
    std::unique_ptr<platform::HttpSession> FSession;
};
