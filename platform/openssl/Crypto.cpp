#include "platform/Crypto.h"

#include <openssl/evp.h>

#include <memory>

#include "platform/LocalFile.h"

namespace platform {

namespace {

int Base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

struct TMdContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct TKeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using TMdContext = std::unique_ptr<EVP_MD_CTX, TMdContextFree>;

} // namespace

std::optional<std::string> Base64Decode(std::string_view text) {
    std::string digits;
    size_t padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        if (padding > 0 || Base64Digit(c) < 0) return std::nullopt; // data after the padding
        digits += c;
    }
    if ((digits.size() + padding) % 4 != 0 || padding > 2) return std::nullopt;
    if (padding > 0 && digits.size() % 4 != 4 - padding) return std::nullopt;
    std::string bytes;
    uint32_t group = 0;
    int bits = 0;
    for (char c : digits) {
        group = (group << 6) | static_cast<uint32_t>(Base64Digit(c));
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    // The bits left over must be zero, or two texts would decode to the same bytes.
    if (bits > 0 && (group & ((1u << bits) - 1)) != 0) return std::nullopt;
    return bytes;
}

std::string Sha256(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    return std::string(reinterpret_cast<char*>(digest), length);
}

std::optional<std::string> Sha256OfFile(const std::string& path) {
    std::unique_ptr<TLocalFile> file = TLocalFile::OpenForReading(path);
    if (!file) return std::nullopt;
    TMdContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return std::nullopt;
    std::string block(256 * 1024, '\0');
    for (;;) {
        size_t got = file->Read(block.data(), block.size());
        if (got == 0) break;
        EVP_DigestUpdate(context.get(), block.data(), got);
    }
    if (file->Failed()) return std::nullopt;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return std::nullopt;
    return std::string(reinterpret_cast<char*>(digest), length);
}

bool VerifyEd25519(std::string_view publicKey, std::string_view message,
                   std::string_view signature) {
    if (publicKey.size() != 32 || signature.size() != 64) return false;
    std::unique_ptr<EVP_PKEY, TKeyFree> key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(publicKey.data()),
        publicKey.size()));
    if (!key) return false;
    TMdContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()),
                            message.size()) == 1;
}

} // namespace platform
