#include "upgrade/InfoFile.h"

#include <chrono>
#include <cstdint>

#include "base/Format.h"
#include "platform/Crypto.h"

namespace {

constexpr std::string_view kSignatureKey = "#signature=";

// The decimal part of a version; -1 for anything that is not a plain non-negative number.
int64_t VersionPart(std::string_view text) {
    return PlainDecimal(text, 18).value_or(-1);
}

std::vector<std::string_view> FourVersionParts(std::string_view text) {
    std::string_view rest = text;
    bool more = true; // the "." appended to the text ends its last part
    std::vector<std::string_view> parts;
    for (int i = 0; i < 4; ++i) {
        if (!more) {
            parts.push_back("0");
            continue;
        }
        size_t dot = rest.find('.');
        if (dot == std::string_view::npos) {
            parts.push_back(rest);
            more = false;
        } else {
            parts.push_back(rest.substr(0, dot));
            rest = rest.substr(dot + 1);
        }
    }
    return parts;
}

} // namespace

std::string InfoFileValue(std::string_view text, std::string_view key) {
    bool message = SameText(key, "message");
    std::string pattern = "#" + LowerCase(key) + (message ? "={" : "=");
    size_t at = LowerCase(text).find(pattern);
    if (at == std::string::npos) return {};
    std::string_view value = text.substr(at + pattern.size());
    size_t end = 0;
    if (message) {
        end = value.find('}');
    } else {
        while (end < value.size() && static_cast<unsigned char>(value[end]) >= 32)
            ++end;
    }
    return std::string(value.substr(0, end));
}

std::vector<TInfoFileEntry> InfoFileEntries(std::string_view text) {
    std::vector<TInfoFileEntry> entries;
    auto addIfPresent = [&](const std::string& suffix) {
        std::string url = InfoFileValue(text, "url" + suffix);
        if (url.empty()) return false;
        entries.push_back({url, InfoFileValue(text, "sha256" + suffix)});
        return true;
    };
    addIfPresent("");
    addIfPresent("0");
    for (size_t n = entries.size() + 1; addIfPresent(std::to_string(n)); ++n) {
    }
    return entries;
}

TacUpgradeMethod UpgradeMethodFromValue(std::string_view value) {
    if (StartsText("1", value)) return TacUpgradeMethod::umUseExternalSetup;
    if (StartsText("2", value)) return TacUpgradeMethod::umRedirectToURL;
    return TacUpgradeMethod::umSelfUpgrade;
}

int CompareVersionNumbers(std::string_view remote, std::string_view local) {
    std::vector<std::string_view> remoteParts = FourVersionParts(remote);
    std::vector<std::string_view> localParts = FourVersionParts(local);
    for (size_t i = 0; i < 4; ++i) {
        int64_t r = VersionPart(remoteParts[i]), l = VersionPart(localParts[i]);
        if (r < 0 || l < 0) {
            // char_traits<char> orders by unsigned byte value, a prefix first.
            int order = remote.compare(local);
            return order > 0 ? 1 : order < 0 ? -1 : 0;
        }
        if (r != l) return r > l ? 1 : -1;
    }
    return 0;
}

std::optional<TDateTime> ParseVersionDate(std::string_view text) {
    size_t first = text.find('/');
    if (first == std::string_view::npos) return std::nullopt;
    size_t second = text.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    std::optional<int64_t> month = PlainDecimal(text.substr(0, first), 9);
    std::optional<int64_t> day = PlainDecimal(text.substr(first + 1, second - first - 1), 9);
    std::optional<int64_t> year = PlainDecimal(text.substr(second + 1), 9);
    if (!month || !day || !year || *year < 1 || *year > 9999) return std::nullopt;
    using namespace std::chrono;
    year_month_day date{std::chrono::year(static_cast<int>(*year)),
                        std::chrono::month(static_cast<unsigned>(*month)),
                        std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    constexpr int64_t UnixEpochDays = 25569; // 1970-01-01 counted from 1899-12-30
    return static_cast<TDateTime>(sys_days(date).time_since_epoch().count() + UnixEpochDays);
}

std::optional<std::string_view> SignedInfoFileBody(std::string_view text,
                                                   std::string_view publicKeyBase64) {
    std::optional<std::string> key = platform::Base64Decode(publicKeyBase64);
    if (publicKeyBase64.empty() || !key || key->size() != 32) return std::nullopt;
    // The signature line is the last line; line breaks after it are not signed text.
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r'))
        --end;
    if (end == 0) return std::nullopt;
    size_t lineStart = text.rfind('\n', end - 1);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    std::string_view line = text.substr(lineStart, end - lineStart);
    if (!line.starts_with(kSignatureKey)) return std::nullopt;
    std::optional<std::string> signature =
        platform::Base64Decode(line.substr(kSignatureKey.size()));
    std::string_view body = text.substr(0, lineStart);
    if (!signature || !platform::VerifyEd25519(*key, body, *signature)) return std::nullopt;
    return body;
}
