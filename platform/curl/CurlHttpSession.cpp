// HttpSession over libcurl's multi interface: the worker drives the transfer itself, so that
// the body can be pulled block by block and Abort can wake a wait from another thread.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <utility>
#include <vector>

#include "base/Format.h"
#include "platform/HttpClient.h"

namespace platform {

namespace {

// Body bytes held for the reader before curl is paused.
constexpr size_t kPendingLimit = 1024 * 1024;
// A header value longer than this counts as missing, as with the system's HTTP API.
constexpr size_t kHeaderValueLimit = 4095;

class TCurlHttpSession : public HttpSession {
public:
    TCurlHttpSession() : FEasy(curl_easy_init()), FMulti(curl_multi_init()) {}
    ~TCurlHttpSession() override {
        Detach();
        curl_slist_free_all(FHeaders);
        curl_easy_cleanup(FEasy);
        curl_multi_cleanup(FMulti);
    }

    bool Send(const HttpRequest& request) override;
    int Status() const override { return FStatus; }
    std::optional<std::string> Header(std::string_view name) const override;
    std::string RawHeaders() const override { return FRawHeaders; }
    size_t Read(char* buffer, size_t size) override;
    bool Failed() const override { return FFailed; }
    void Abort() override {
        FAborted = true;
        curl_multi_wakeup(FMulti);
    }

private:
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static int OnConnected(void* self, char*, char*, int, int);
    void Configure(const HttpRequest& request);
    // Moves the transfer on until ready() holds or it has ended.
    template <class Ready> void Pump(Ready ready);
    void Detach();
    std::chrono::milliseconds StallLimit() const;

    CURL* FEasy;
    CURLM* FMulti;
    curl_slist* FHeaders = nullptr;
    bool FAttached = false;
    std::atomic<bool> FAborted{false};

    uint32_t FReceiveTimeoutMs = 0, FSendTimeoutMs = 0;
    std::chrono::steady_clock::time_point FLastActivity;
    bool FConnected = false;
    bool FHeadStarted = false;
    bool FBodyStarted = false;
    bool FDone = false;
    bool FFailed = false;
    bool FPaused = false;
    int FStatus = -1;
    std::string FRawHeaders;
    std::vector<std::pair<std::string, std::string>> FHeaderList;
    std::string FPending;
    size_t FPendingStart = 0;
};

size_t TCurlHttpSession::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto& session = *static_cast<TCurlHttpSession*>(self);
    const std::string_view line(data, size * count);
    session.FLastActivity = std::chrono::steady_clock::now();
    session.FHeadStarted = true;
    // Each response (a redirect, an authentication round) starts a new block; the last counts.
    if (line.substr(0, 5) == "HTTP/") {
        session.FRawHeaders.clear();
        session.FHeaderList.clear();
    }
    session.FRawHeaders.append(line);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && line.substr(0, 5) != "HTTP/")
        session.FHeaderList.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    return size * count;
}

size_t TCurlHttpSession::OnBody(char* data, size_t size, size_t count, void* self) {
    auto& session = *static_cast<TCurlHttpSession*>(self);
    if (session.FPending.size() - session.FPendingStart >= kPendingLimit) {
        session.FPaused = true;
        return CURL_WRITEFUNC_PAUSE; // curl keeps these bytes and gives them again on resume
    }
    if (session.FPendingStart == session.FPending.size()) {
        session.FPending.clear();
        session.FPendingStart = 0;
    }
    session.FPending.append(data, size * count);
    session.FBodyStarted = true;
    session.FLastActivity = std::chrono::steady_clock::now();
    return size * count;
}

int TCurlHttpSession::OnConnected(void* self, char*, char*, int, int) {
    auto& session = *static_cast<TCurlHttpSession*>(self);
    session.FConnected = true;
    session.FLastActivity = std::chrono::steady_clock::now();
    return CURL_PREREQFUNC_OK;
}

void TCurlHttpSession::Detach() {
    if (FAttached) curl_multi_remove_handle(FMulti, FEasy);
    FAttached = false;
}

void TCurlHttpSession::Configure(const HttpRequest& request) {
    curl_easy_reset(FEasy);
    curl_slist_free_all(FHeaders);
    FHeaders = nullptr;
    curl_easy_setopt(FEasy, CURLOPT_URL, request.Url.c_str());
    curl_easy_setopt(FEasy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(FEasy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(FEasy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(FEasy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(FEasy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(FEasy, CURLOPT_USERAGENT, request.Agent.c_str());
    if (!request.CertificateAuthorityFile.empty())
        curl_easy_setopt(FEasy, CURLOPT_CAINFO, request.CertificateAuthorityFile.c_str());
    if (!request.Username.empty() || !request.Password.empty()) {
        curl_easy_setopt(FEasy, CURLOPT_USERNAME, request.Username.c_str());
        curl_easy_setopt(FEasy, CURLOPT_PASSWORD, request.Password.c_str());
        curl_easy_setopt(FEasy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
    }

    switch (request.ProxyAccess) {
    case HttpProxyAccess::Preconfigured:
        break; // the environment's http_proxy and no_proxy
    case HttpProxyAccess::Direct:
        curl_easy_setopt(FEasy, CURLOPT_PROXY, "");
        break;
    case HttpProxyAccess::UseProxy: {
        const std::string proxy = request.ProxyServer + ":" + std::to_string(request.ProxyPort);
        curl_easy_setopt(FEasy, CURLOPT_PROXY, proxy.c_str());
        std::string bypass = request.ProxyBypass;
        std::replace(bypass.begin(), bypass.end(), ';', ',');
        curl_easy_setopt(FEasy, CURLOPT_NOPROXY, bypass.c_str());
        break;
    }
    }
    if (!request.ProxyUsername.empty() || !request.ProxyPassword.empty()) {
        curl_easy_setopt(FEasy, CURLOPT_PROXYUSERNAME, request.ProxyUsername.c_str());
        curl_easy_setopt(FEasy, CURLOPT_PROXYPASSWORD, request.ProxyPassword.c_str());
        curl_easy_setopt(FEasy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
    }

    auto addHeader = [this](const std::string& line) {
        FHeaders = curl_slist_append(FHeaders, line.c_str());
    };
    addHeader("Accept: " + request.AcceptTypes);
    if (!request.UseCache) {
        addHeader("Cache-Control: no-cache");
        addHeader("Pragma: no-cache");
    }
    if (!request.RangeHeader.empty()) addHeader("Range: " + request.RangeHeader);
    curl_easy_setopt(FEasy, CURLOPT_HTTPHEADER, FHeaders);

    if (request.ConnectTimeoutMs != 0)
        curl_easy_setopt(FEasy, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(request.ConnectTimeoutMs));
    FReceiveTimeoutMs = request.ReceiveTimeoutMs;
    FSendTimeoutMs = request.SendTimeoutMs;

    curl_easy_setopt(FEasy, CURLOPT_HEADERFUNCTION, &TCurlHttpSession::OnHeader);
    curl_easy_setopt(FEasy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(FEasy, CURLOPT_WRITEFUNCTION, &TCurlHttpSession::OnBody);
    curl_easy_setopt(FEasy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(FEasy, CURLOPT_PREREQFUNCTION, &TCurlHttpSession::OnConnected);
    curl_easy_setopt(FEasy, CURLOPT_PREREQDATA, this);
}

std::chrono::milliseconds TCurlHttpSession::StallLimit() const {
    // Before the head, the request may still be going out: both limits apply in turn.
    if (!FHeadStarted && FSendTimeoutMs != 0 && FReceiveTimeoutMs != 0)
        return std::chrono::milliseconds(uint64_t(FSendTimeoutMs) + FReceiveTimeoutMs);
    if (!FHeadStarted && FSendTimeoutMs != 0) return std::chrono::milliseconds(FSendTimeoutMs);
    return std::chrono::milliseconds(FReceiveTimeoutMs);
}

template <class Ready> void TCurlHttpSession::Pump(Ready ready) {
    while (!FDone && !ready()) {
        if (FAborted) {
            FDone = FFailed = true;
            break;
        }
        int running = 0;
        if (curl_multi_perform(FMulti, &running) != CURLM_OK) {
            FDone = FFailed = true;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(FMulti, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                FDone = true;
                FFailed = message->data.result != CURLE_OK;
            }
        }
        if (FDone || ready()) break;
        const auto limit = StallLimit();
        if (FConnected && limit.count() != 0 &&
            std::chrono::steady_clock::now() - FLastActivity > limit) {
            FDone = FFailed = true;
            break;
        }
        curl_multi_poll(FMulti, nullptr, 0, 200, nullptr);
    }
}

bool TCurlHttpSession::Send(const HttpRequest& request) {
    Detach();
    Configure(request);
    FConnected = FHeadStarted = FBodyStarted = FDone = FFailed = FPaused = false;
    FStatus = -1;
    FRawHeaders.clear();
    FHeaderList.clear();
    FPending.clear();
    FPendingStart = 0;
    FLastActivity = std::chrono::steady_clock::now();
    if (FAborted || curl_multi_add_handle(FMulti, FEasy) != CURLM_OK) return false;
    FAttached = true;
    Pump([this] { return FBodyStarted; });

    long code = 0;
    curl_easy_getinfo(FEasy, CURLINFO_RESPONSE_CODE, &code);
    if (code == 0) {
        // A proxy that wants credentials for a tunnel answers the CONNECT, not the request.
        long connectCode = 0;
        curl_easy_getinfo(FEasy, CURLINFO_HTTP_CONNECTCODE, &connectCode);
        if (connectCode == 407) code = 407;
    }
    if (code <= 0 || FAborted) return false;
    FStatus = static_cast<int>(code);
    return true;
}

std::optional<std::string> TCurlHttpSession::Header(std::string_view name) const {
    for (const auto& [headerName, value] : FHeaderList)
        if (SameText(headerName, name))
            return value.size() <= kHeaderValueLimit ? std::optional<std::string>(value)
                                                     : std::nullopt;
    return std::nullopt;
}

size_t TCurlHttpSession::Read(char* buffer, size_t size) {
    if (FPendingStart == FPending.size()) {
        if (FPaused && !FAborted) {
            FPaused = false;
            curl_easy_pause(FEasy, CURLPAUSE_CONT);
        }
        Pump([this] { return FPendingStart < FPending.size(); });
    }
    const size_t count = std::min(size, FPending.size() - FPendingStart);
    std::memcpy(buffer, FPending.data() + FPendingStart, count);
    FPendingStart += count;
    return count;
}

std::once_flag gCurlInitialised;

} // namespace

std::unique_ptr<HttpSession> CreateHttpSession() {
    std::call_once(gCurlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return std::make_unique<TCurlHttpSession>();
}

} // namespace platform
