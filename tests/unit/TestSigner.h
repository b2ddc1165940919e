#pragma once

// Test-only signing and verifying through OpenSSL, so that the native tests
// can make real ECDSA P-256 documents and check the launcher's decisions on
// them. The program itself verifies through Windows' own API.

#include "digest/Sha256.h"
#include "signing/SignedDocument.h"

#include <openssl/core_names.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace test_signer {

using Pkey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

// The public key as the build setting carries it: X then Y, 32 bytes each.
using RawPublicKey = std::array<uint8_t, 64>;

inline void Require(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

struct TestKey {
    TestKey() : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), EVP_PKEY_free) {
        Require(m_key != nullptr, "key generation");
    }

    RawPublicKey PublicKey() const {
        uint8_t point[65];
        size_t length = 0;
        Require(EVP_PKEY_get_octet_string_param(m_key.get(), OSSL_PKEY_PARAM_PUB_KEY, point,
                                                sizeof point, &length) == 1 &&
                    length == 65 && point[0] == 4,
                "public key");
        RawPublicKey raw;
        std::copy(point + 1, point + 65, raw.begin());
        return raw;
    }

    // r||s of the signature over body, as 128 lower-case hex characters.
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

    // A whole document: body lines (each ended with "\n") and the signature.
    std::string Sign(const std::string& body) const {
        return body + "signature " + SignHex(body) + "\n";
    }
    Pkey m_key;
};

// Verifies against a raw public key, the form the launcher is built with.
struct OpenSslVerifier : ISignatureVerifier {
    explicit OpenSslVerifier(const RawPublicKey& raw) {
        uint8_t point[65] = {4};
        std::copy(raw.begin(), raw.end(), point + 1);
        OSSL_PARAM_BLD* build = OSSL_PARAM_BLD_new();
        OSSL_PARAM_BLD_push_utf8_string(build, OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0);
        OSSL_PARAM_BLD_push_octet_string(build, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point);
        OSSL_PARAM* params = OSSL_PARAM_BLD_to_param(build);
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr);
        EVP_PKEY* key = nullptr;
        const bool ok = context && EVP_PKEY_fromdata_init(context) == 1 &&
                        EVP_PKEY_fromdata(context, &key, EVP_PKEY_PUBLIC_KEY, params) == 1;
        EVP_PKEY_CTX_free(context);
        OSSL_PARAM_free(params);
        OSSL_PARAM_BLD_free(build);
        Require(ok, "public key import");
        m_key.reset(key);
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
    Pkey m_key{nullptr, EVP_PKEY_free};
};

// One key for a whole test program: generating one is slow.
inline TestKey& SharedKey() {
    static TestKey key;
    return key;
}

} // namespace test_signer
