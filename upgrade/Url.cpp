#include "upgrade/Url.h"

#include <algorithm>
#include <cctype>

#include "base/Format.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %xx escapes to bytes; a "%" not followed by two hex digits stays as it is.
std::string Decoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

int DefaultPort(const std::string& scheme) {
    if (scheme == "http") return 80;
    if (scheme == "https") return 443;
    if (scheme == "ftp") return 21;
    return 0;
}

} // namespace

std::string WithDefaultScheme(const std::string& url) {
    return url.find("://") == std::string::npos ? "http://" + url : url;
}

bool CrackUrl(const std::string& url, TUrlParts& parts) {
    parts = TUrlParts{};
    const std::string full = WithDefaultScheme(url);
    const size_t schemeEnd = full.find("://");
    const std::string scheme = full.substr(0, schemeEnd);
    if (scheme.empty() || scheme.size() > 32 ||
        !std::all_of(scheme.begin(), scheme.end(), [](unsigned char c) {
            return std::isalnum(c) || c == '+' || c == '-' || c == '.';
        }))
        return false;
    parts.Scheme = LowerCase(scheme);

    const size_t authorityStart = schemeEnd + 3;
    const size_t authorityEnd = std::min(full.find_first_of("/?#", authorityStart), full.size());
    const std::string authority = full.substr(authorityStart, authorityEnd - authorityStart);
    const size_t pathEnd = std::min(full.find_first_of("?#", authorityEnd), full.size());
    const std::string rawPath = full.substr(authorityEnd, pathEnd - authorityEnd);
    parts.Extra = full.substr(pathEnd);

    std::string hostPort = authority;
    const size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        hostPort = authority.substr(at + 1);
        const size_t colon = userInfo.find(':');
        parts.Username = Decoded(userInfo.substr(0, colon));
        if (colon != std::string::npos) parts.Password = Decoded(userInfo.substr(colon + 1));
    }

    std::string host = hostPort, port;
    if (!hostPort.empty() && hostPort.front() == '[') {
        const size_t close = hostPort.find(']');
        if (close == std::string::npos) return false;
        host = hostPort.substr(1, close - 1);
        const std::string after = hostPort.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return false;
            port = after.substr(1);
        }
    } else if (const size_t colon = hostPort.rfind(':'); colon != std::string::npos) {
        host = hostPort.substr(0, colon);
        port = hostPort.substr(colon + 1);
    }
    parts.Host = Decoded(host);
    parts.Port = DefaultPort(parts.Scheme);
    if (!port.empty()) {
        if (port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); }))
            return false;
        parts.Port = std::stoi(port);
        if (parts.Port > 65535) return false;
    }
    parts.Path = Decoded(rawPath);
    if (parts.Path.empty() && (parts.Scheme == "http" || parts.Scheme == "https")) parts.Path = "/";
    parts.WithoutCredentials =
        full.substr(0, authorityStart) + hostPort + full.substr(authorityEnd);

    return parts.Host.size() <= 256 && parts.Username.size() <= 128 &&
           parts.Password.size() <= 128 && parts.Path.size() <= 2048 && parts.Extra.size() <= 2048;
}

std::string UrlHostName(const std::string& url) {
    TUrlParts parts;
    return CrackUrl(url, parts) ? parts.Host : std::string();
}
