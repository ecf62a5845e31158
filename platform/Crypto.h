// Digests and signatures for the updater: SHA-256 and Ed25519.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Standard base64 with padding (blanks and line breaks skipped); nothing for any other input.
std::optional<std::string> Base64Decode(std::string_view text);

// The 32-byte SHA-256 digest.
std::string Sha256(std::string_view bytes);
// The digest of a file's contents; nothing when it cannot be read.
std::optional<std::string> Sha256OfFile(const std::string& path);

// True when signature (64 bytes) is a valid Ed25519 signature of message under publicKey (the
// raw 32-byte key). Any malformed input is simply not valid.
bool VerifyEd25519(std::string_view publicKey, std::string_view message,
                   std::string_view signature);

} // namespace platform
