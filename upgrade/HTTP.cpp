#include "upgrade/HTTP.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Clock.h"
#include "upgrade/Url.h"

#ifndef QUORVEL_VERSION_TEXT
#define QUORVEL_VERSION_TEXT "0"
#endif

namespace {

// A read buffer larger than this is never filled by one read anyway.
constexpr int64_t kReadBufferCap = 16 * 1024 * 1024;
// Milliseconds between progress notifications.
constexpr uint64_t kProgressInterval = 50;

// The realm of a WWW-Authenticate value: the quoted text after the first '="', up to its
// closing quote; the whole value when nothing is quoted.
std::string RealmOf(const std::string& challenge) {
    const size_t open = challenge.find("=\"");
    if (open == std::string::npos) return challenge;
    const size_t start = open + 2;
    const size_t close = challenge.find('"', start);
    return challenge.substr(start, close == std::string::npos ? std::string::npos : close - start);
}

// A Content-Length value; 0 when missing or not a plain number.
int64_t LengthOf(const std::optional<std::string>& value) {
    if (!value || value->empty() || value->size() > 18 ||
        !std::all_of(value->begin(), value->end(),
                     [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoll(*value);
}

} // namespace

TauCustomHTTP::TauCustomHTTP(platform::Dispatcher& dispatcher)
    : FThread(std::make_unique<TauCustomThread>(dispatcher)),
      FAgent("Quorvel-Updater/" QUORVEL_VERSION_TEXT) {
    FThread->OnExecute = [this] { RequestRoutine(); };
    FThread->OnFinish = [this] { Complete(); };
}

TauCustomHTTP::~TauCustomHTTP() {
    FDestroying = true;
    AbortTransfer();
}

void TauCustomHTTP::SetTransferBufferSize(int64_t value) {
    FTransferBufferSize = static_cast<int>(std::clamp<int64_t>(value, 255, 2147483647));
}

bool TauCustomHTTP::Read() {
    if (FBusy) return false;
    FBusy = true;
    FThread->Start();
    return true;
}

void TauCustomHTTP::AbortTransfer() {
    {
        // Pending network calls of the worker fail at once, so that it can be joined.
        std::lock_guard lock(FSessionMutex);
        if (FSession) FSession->Abort();
    }
    const bool wasRunning = FBusy;
    FThread->Stop();
    FBusy = false;
    {
        std::lock_guard lock(FSessionMutex);
        FSession.reset();
    }
    FLocalFile.reset();
    if (wasRunning && !FDestroying && OnHTTPAborted) OnHTTPAborted(this);
    FStream.reset();
}

platform::HttpRequest TauCustomHTTP::MakeRequest(const TUrlParts& parts) const {
    platform::HttpRequest request;
    request.Url = parts.WithoutCredentials;
    request.Agent = FAgent;
    request.AcceptTypes = FAcceptTypes;
    request.UseCache = FUseCache;
    // Credentials written in the URL win over the component's.
    request.Username = parts.Username.empty() ? HTTPUsername() : parts.Username;
    request.Password = parts.Password.empty() ? HTTPPassword() : parts.Password;
    switch (FProxy.AccessType) {
    case TauHTTPAccessType::atPreconfig:
        request.ProxyAccess = platform::HttpProxyAccess::Preconfigured;
        break;
    case TauHTTPAccessType::atDirect:
        request.ProxyAccess = platform::HttpProxyAccess::Direct;
        break;
    case TauHTTPAccessType::atUseProxy:
        request.ProxyAccess = platform::HttpProxyAccess::UseProxy;
        break;
    }
    request.ProxyServer = FProxy.ProxyServer;
    request.ProxyPort = FProxy.ProxyPort;
    request.ProxyBypass = FProxy.ProxyBypass;
    if (FRange.StartRange != 0 || FRange.EndRange != 0)
        request.RangeHeader =
            "bytes=" + std::to_string(FRange.StartRange) + "-" +
            (FRange.EndRange != 0 ? std::to_string(FRange.EndRange) : std::string());
    request.ConnectTimeoutMs = FTimeouts.ConnectTimeout;
    request.ReceiveTimeoutMs = FTimeouts.ReceiveTimeout;
    request.SendTimeoutMs = FTimeouts.SendTimeout;
    request.CertificateAuthorityFile = FCertificateAuthorityFile;
    return request;
}

void TauCustomHTTP::RequestRoutine() {
    FStatus = -1;
    FContentType.clear();
    FContentLength = 0;
    FBytesRead = 0;
    FStartTime = platform::GetTickCount();
    FContinue = true;
    FSuccess = false;
    FBodyFailed = false;
    FOutputFailed = false;

    TUrlParts parts;
    if (!CrackUrl(FURL, parts)) return;
    if (parts.Scheme == "file") {
        // Only this computer's files: no host, or the local host by name.
        if (parts.Host.empty() || parts.Host == "localhost")
            FLocalFile = platform::TLocalFile::OpenForReading(parts.Path);
        FContentLength = FLocalFile ? FLocalFile->Size() : 0;
        FStatus = FLocalFile ? 200 : 404;
        ReadBody();
        return;
    }

    platform::HttpSession* session;
    {
        std::lock_guard lock(FSessionMutex);
        FSession = platform::CreateHttpSession();
        session = FSession.get();
    }
    platform::HttpRequest request = MakeRequest(parts);
    if (!SendWithAuthentication(*session, request)) return;

    if (const auto type = session->Header("Content-Type")) FContentType = *type;
    const auto length = session->Header("Content-Length");
    FContentLength = LengthOf(length);
    FSuccess = length.has_value();

    if (OnHTTPHeaderInfo) {
        FireHeaderInfo(*session);
        if (!FContinue) return;
    }
    ReadBody();
}

bool TauCustomHTTP::SendWithAuthentication(platform::HttpSession& session,
                                           platform::HttpRequest& request) {
    for (;;) {
        bool tryAgain = false;
        if (!session.Send(request)) return false;
        FStatus = session.Status();
        if (FStatus == 401 && OnHTTPPasswordRequest) {
            const std::string realm =
                RealmOf(session.Header("WWW-Authenticate").value_or(std::string()));
            TauCustomThread::Synchronize([&] { OnHTTPPasswordRequest(this, realm, tryAgain); });
            request.Username = HTTPUsername();
            request.Password = HTTPPassword();
        } else if (FStatus == 407 && OnProxyAuthenticationRequest) {
            TauCustomThread::Synchronize([&] {
                OnProxyAuthenticationRequest(this, FProxyUsername, FProxyPassword, tryAgain);
            });
            request.ProxyUsername = FProxyUsername;
            request.ProxyPassword = FProxyPassword;
        }
        if (!tryAgain) return true;
    }
}

void TauCustomHTTP::FireHeaderInfo(platform::HttpSession& session) {
    auto text = [&](const char* name) { return session.Header(name).value_or(std::string()); };
    auto date = [&](const char* name) {
        const auto value = session.Header(name);
        return value ? HttpDateToLocal(*value) : 0.0;
    };
    const std::string raw = session.RawHeaders(), language = text("Content-Language"),
                      encoding = text("Content-Encoding"), location = text("Location");
    const TDateTime sent = date("Date"), lastModified = date("Last-Modified"),
                    expires = date("Expires");
    bool continueTransfer = true;
    TauCustomThread::Synchronize([&] {
        OnHTTPHeaderInfo(this, raw, FContentType, language, encoding, location, FContentLength,
                         sent, lastModified, expires, continueTransfer);
    });
    FContinue = continueTransfer;
}

void TauCustomHTTP::ReadBody() {
    if (!FOutputFileName.empty()) {
        auto file = platform::TLocalFile::CreateNew(FOutputFileName, FHiddenOutputFile);
        if (!file) return; // no stream: Complete tells the cases apart

        FStream = std::make_unique<TFileStream>(std::move(file));
    } else {
        auto memory = std::make_unique<TMemoryStream>();
        memory->Reserve(FContentLength);
        FStream = std::move(memory);
    }

    FBytesRead = 0;
    std::vector<char> buffer(
        static_cast<size_t>(std::min<int64_t>(FTransferBufferSize, kReadBufferCap)));
    uint64_t lastProgress = 0;
    bool progressOwed = false; // a block arrived since the last notification
    for (;;) {
        const size_t count = FLocalFile ? FLocalFile->Read(buffer.data(), buffer.size())
                             : FSession ? FSession->Read(buffer.data(), buffer.size())
                                        : 0;
        if (count == 0) break;
        if (!FStream->Write(buffer.data(), count)) {
            FOutputFailed = true;
            break;
        }
        FBytesRead += static_cast<int64_t>(count);
        if (!OnHTTPProgress) continue;
        // At most one notification per interval, and always one for the last block: one per
        // block made the worker wait for the main thread more than for the network.
        const uint64_t now = platform::GetTickCount();
        progressOwed = true;
        if (lastProgress == 0 || now - lastProgress >= kProgressInterval ||
            FBytesRead == FContentLength) {
            FireProgress();
            lastProgress = now;
            progressOwed = false;
        }
    }
    if (progressOwed && OnHTTPProgress) FireProgress();
    FBodyFailed = FLocalFile ? FLocalFile->Failed() : FSession && FSession->Failed();

    FSuccess = FStatus == 200;
    if (FSuccess && FContentLength != 0) FSuccess = FContentLength == FBytesRead;
    // A body cut short by a lost connection is not a whole file, announced length or not.
    if (FSuccess && FBodyFailed) FSuccess = false;
}

void TauCustomHTTP::FireProgress() {
    const int64_t elapsed = static_cast<int64_t>((platform::GetTickCount() - FStartTime) / 1000);
    const uint8_t percent =
        FContentLength == 0
            ? 0
            : static_cast<uint8_t>(std::min(
                  255.0, std::nearbyint(static_cast<double>(FBytesRead) * 100 / FContentLength)));
    const int64_t timeLeft = static_cast<int64_t>(std::nearbyint(
                                 static_cast<double>(FContentLength) / FBytesRead * elapsed)) -
                             elapsed;
    const float rate = elapsed == 0 ? static_cast<float>(FBytesRead / 1024.0)
                                    : static_cast<float>(FBytesRead / 1024.0 / elapsed);
    TauCustomThread::Synchronize([&] {
        OnHTTPProgress(this, FContentType, FContentLength, FBytesRead, elapsed, timeLeft, percent,
                       rate, FStream.get());
    });
}

void TauCustomHTTP::Complete() {
    // A handler below may start the next transfer or free this component: everything this
    // transfer still needs is taken out first.
    FBusy = false;
    {
        std::lock_guard lock(FSessionMutex);
        FSession.reset();
    }
    FLocalFile.reset();
    std::unique_ptr<TStream> stream = std::move(FStream);
    if (stream) stream->Rewind();
    auto* file = dynamic_cast<TFileStream*>(stream.get());
    const std::string outputFile = FOutputFileName;
    const std::string contentType = FContentType;
    const int64_t contentLength = FContentLength, bytesRead = FBytesRead;
    const int status = FStatus;
    const bool skipped = !FContinue;
    bool outputFailed = FOutputFailed;
    if (file && !file->Close()) outputFailed = true;

    bool removeFile = false;
    if (skipped) {
        if (OnHTTPSkipped) OnHTTPSkipped(this);
    } else if (FSuccess && !stream) {
        // The output file could not be created for a body of known length. Reported, so that
        // a caller waiting for an outcome does not wait forever.
        if (OnHTTPError) OnHTTPError(this, kStatusOutputFileFailed, nullptr);
    } else if (outputFailed) {
        removeFile = file != nullptr;
        if (OnHTTPError) OnHTTPError(this, kStatusOutputFileFailed, nullptr);
    } else if (FSuccess) {
        if (file) stream.reset();
        if (OnHTTPDone) OnHTTPDone(this, contentType, bytesRead, file ? nullptr : stream.get());
    } else {
        removeFile = file != nullptr;
        if (status == 200) {
            if (OnHTTPIncomplete)
                OnHTTPIncomplete(this, contentType, contentLength, bytesRead, stream.get());
        } else if (status == -1) {
            if (OnHTTPHostUnreachable) OnHTTPHostUnreachable(this);
        } else if (OnHTTPError) {
            OnHTTPError(this, status, stream.get());
        }
    }
    stream.reset();
    if (removeFile) platform::RemoveLocalFile(outputFile);
}
