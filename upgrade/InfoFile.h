// Reading the update information file: keys, the file list with digests, the signature, and
// the comparison of the offered version with the running one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "upgrade/Utils.h"

enum class TacUpgradeMethod { umSelfUpgrade, umUseExternalSetup, umRedirectToURL };

// The value of key: the text after the first "#key=" (letter case ignored) up to the first
// control character; for "message" the pattern is "#message={" and the value runs to the first
// "}". Empty when the key is missing.
std::string InfoFileValue(std::string_view text, std::string_view key);

// One listed file: its URL and the hex SHA-256 its digest key gives (empty when missing).
struct TInfoFileEntry {
    std::string Url;
    std::string Sha256;
};
// url, then url0, then url1, url2 ... continuing the count of those found, to the first
// missing number. The digest of urlN is sha256N ("sha256" for url, "sha2560" for url0).
std::vector<TInfoFileEntry> InfoFileEntries(std::string_view text);

// "1" external setup, "2" redirect to the URL, anything else self-upgrade.
TacUpgradeMethod UpgradeMethodFromValue(std::string_view value);

// +1 when remote is the greater version, -1 when smaller, 0 when equal. Both are read as four
// dot-separated numbers; when a part is not a number the whole texts are compared byte-wise.
int CompareVersionNumbers(std::string_view remote, std::string_view local);

// A date written month/day/year, midnight; nothing when it cannot be read.
std::optional<TDateTime> ParseVersionDate(std::string_view text);

// The last line of a signed file is "#signature=" and the base64 Ed25519 signature of every byte
// before that line. Returns those bytes when the signature is valid under publicKeyBase64 (the
// base64 raw 32-byte key); nothing when the key is empty or malformed, the line is missing, or
// the signature does not match.
std::optional<std::string_view> SignedInfoFileBody(std::string_view text,
                                                   std::string_view publicKeyBase64);
