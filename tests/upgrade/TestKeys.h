// An Ed25519 key pair made for one test, signing information files as scripts/sign-update.sh
// does.
#pragma once

#include <openssl/evp.h>

#include <memory>
#include <string>

struct TKeyPair {
    std::string PublicBase64;
    std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> Key{nullptr, EVP_PKEY_free};

    TKeyPair() {
        EVP_PKEY* key = nullptr;
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
        EVP_PKEY_keygen_init(context);
        EVP_PKEY_keygen(context, &key);
        EVP_PKEY_CTX_free(context);
        Key.reset(key);
        unsigned char raw[32];
        size_t length = sizeof raw;
        EVP_PKEY_get_raw_public_key(key, raw, &length);
        unsigned char encoded[64];
        int size = EVP_EncodeBlock(encoded, raw, static_cast<int>(length));
        PublicBase64.assign(reinterpret_cast<char*>(encoded), static_cast<size_t>(size));
    }
    std::string Sign(const std::string& body) const {
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        EVP_DigestSignInit(context, nullptr, nullptr, nullptr, Key.get());
        unsigned char signature[64];
        size_t length = sizeof signature;
        EVP_DigestSign(context, signature, &length,
                       reinterpret_cast<const unsigned char*>(body.data()), body.size());
        EVP_MD_CTX_free(context);
        unsigned char encoded[100];
        int size = EVP_EncodeBlock(encoded, signature, static_cast<int>(length));
        return body + "#signature=" + std::string(reinterpret_cast<char*>(encoded), size) + "\n";
    }
};
