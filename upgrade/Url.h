// Splitting URLs the way the updater needs: scheme, host, port, credentials, path, query.
#pragma once

#include <string>

struct TUrlParts {
    std::string Scheme;             // lower case
    std::string Host;               // decoded; without the brackets of an IPv6 address
    int Port = 0;                   // the scheme's own when the URL names none
    std::string Username, Password; // decoded
    std::string Path;               // decoded; "/" for an http URL without one
    std::string Extra;              // "?query#fragment" as written
    // The URL without user name and password, as written otherwise.
    std::string WithoutCredentials;
};

// "http://" in front of a URL without "://".
std::string WithDefaultScheme(const std::string& url);

// Splits WithDefaultScheme(url). False when it is not a URL or a part is too long (32, 256,
// 128, 128, 2048 and 2048 bytes for scheme, host, user name, password, path and query).
bool CrackUrl(const std::string& url, TUrlParts& parts);

// The host of the URL; empty when it cannot be split.
std::string UrlHostName(const std::string& url);
