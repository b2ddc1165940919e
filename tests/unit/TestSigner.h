#pragma once

// Real ECDSA P-256 documents for the native tests, through OpenSSL; the
// program itself verifies through Windows' own API.

#include "digest/Sha256.h"
#include "signing/SignedDocument.h"

#include <openssl/ecdsa.h>
#include <openssl/evp.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace test_signer {

using Pkey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

inline void Require(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

struct TestKey {
    TestKey() : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), EVP_PKEY_free) {
        Require(m_key != nullptr, "key generation");
    }

    std::string SignHex(const std::string& body) const {
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        unsigned char der[80];
        size_t derLength = sizeof der;
        const bool signedOk =
            EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, m_key.get()) == 1 &&
            EVP_DigestSign(context, der, &derLength,
                           reinterpret_cast<const unsigned char*>(body.data()), body.size()) == 1;
        EVP_MD_CTX_free(context);
        const unsigned char* p = der;
        ECDSA_SIG* sig = signedOk ? d2i_ECDSA_SIG(nullptr, &p, long(derLength)) : nullptr;
        Require(sig != nullptr, "signing");
        uint8_t raw[64];
        BN_bn2binpad(ECDSA_SIG_get0_r(sig), raw, 32);
        BN_bn2binpad(ECDSA_SIG_get0_s(sig), raw + 32, 32);
        ECDSA_SIG_free(sig);
        std::string hex;
        for (uint8_t byte : raw)
            hex += "0123456789abcdef"[byte >> 4], hex += "0123456789abcdef"[byte & 15];
        return hex;
    }

    std::string Sign(const std::string& body) const {
        return body + "signature " + SignHex(body) + "\n";
    }
    Pkey m_key;
};

struct OpenSslVerifier : ISignatureVerifier {
    explicit OpenSslVerifier(const TestKey& key) : m_key(key.m_key.get(), EVP_PKEY_free) {
        EVP_PKEY_up_ref(m_key.get());
    }

    bool Verify(const Sha256Digest& digest, const uint8_t (&signature)[64]) override {
        ++calls;
        ECDSA_SIG* sig = ECDSA_SIG_new();
        ECDSA_SIG_set0(sig, BN_bin2bn(signature, 32, nullptr),
                       BN_bin2bn(signature + 32, 32, nullptr));
        unsigned char* der = nullptr;
        const int derLength = i2d_ECDSA_SIG(sig, &der);
        ECDSA_SIG_free(sig);
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(m_key.get(), nullptr);
        const bool ok =
            context && EVP_PKEY_verify_init(context) == 1 &&
            EVP_PKEY_CTX_set_signature_md(context, EVP_sha256()) == 1 &&
            EVP_PKEY_verify(context, der, size_t(derLength), digest.data(), digest.size()) == 1;
        EVP_PKEY_CTX_free(context);
        OPENSSL_free(der);
        return ok;
    }

    int calls = 0;
    Pkey m_key;
};

// One key for a whole test program: generating one is slow.
inline TestKey& SharedKey() {
    static TestKey key;
    return key;
}

} // namespace test_signer
