// One HTTP or HTTPS exchange at a time: the updater's way to the network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class HttpProxyAccess { Preconfigured, Direct, UseProxy };

struct HttpRequest {
    std::string Url; // http:// or https://, without user name and password
    std::string Agent;
    std::string AcceptTypes;
    bool UseCache = true;
    std::string Username, Password; // answer a server's challenge; empty: none
    HttpProxyAccess ProxyAccess = HttpProxyAccess::Preconfigured;
    std::string ProxyServer; // with UseProxy
    int ProxyPort = 8080;
    std::string ProxyBypass; // hosts separated by ";"; empty: none
    std::string ProxyUsername, ProxyPassword;
    std::string RangeHeader; // the whole value, e.g. "bytes=0-99"; empty: none
    uint32_t ConnectTimeoutMs = 0, ReceiveTimeoutMs = 0, SendTimeoutMs = 0; // 0: library's own
    // A certificate authority file trusted instead of the system's; empty in the program.
    std::string CertificateAuthorityFile;
};

// Reading of a response: Send gives the head, Read the body, in the order a caller of the
// operating system's HTTP API expects. Redirects are followed within http and https, at
// most 5 times; the head is that of the last response.
class HttpSession {
public:
    virtual ~HttpSession() = default;
    // Sends the request and waits for the head. False when no status was obtained (no
    // connection, a certificate refused, a timeout, Abort); Status() is then -1. May be
    // called again for a new attempt with other credentials.
    virtual bool Send(const HttpRequest& request) = 0;
    virtual int Status() const = 0;
    // A header of the last response, by case-insensitive name; empty when missing.
    virtual std::optional<std::string> Header(std::string_view name) const = 0;
    // The header lines of the last response, status line first, each ended by CR LF.
    virtual std::string RawHeaders() const = 0;
    // Reads up to size bytes of the body into buffer. 0 at the end of the body and on
    // failure; Failed() tells the two apart.
    virtual size_t Read(char* buffer, size_t size) = 0;
    // The body ended early: connection lost, timeout, Abort.
    virtual bool Failed() const = 0;
    // Any thread: the pending and every later Send and Read of this session fail at once.
    virtual void Abort() = 0;
};

// The platform's session (libcurl here).
std::unique_ptr<HttpSession> CreateHttpSession();

} // namespace platform
