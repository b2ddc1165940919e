#pragma once

// Test-only signing and verifying through OpenSSL, so that the native tests
// can make real ECDSA P-256 documents and check the launcher's decisions on
// them. The program itself verifies through Windows' own API.

#include "update/Sha256.h"
#include "update/SignedDocument.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace test_signer {

struct PkeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;

// The public key as the build setting carries it: X then Y, 32 bytes each.
using RawPublicKey = std::array<uint8_t, 64>;

inline void Require(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

class TestKey {
public:
    TestKey() : m_key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256")) {
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
        Require(signedOk, "signing");
        return DerToRawHex(der, derLength);
    }

    // A whole document: body lines (each ended with "\n") and the signature.
    std::string Sign(const std::string& body) const {
        return body + "signature " + SignHex(body) + "\n";
    }

private:
    // SEQUENCE { INTEGER r, INTEGER s }, each integer left-padded to 32 bytes.
    static std::string DerToRawHex(const unsigned char* der, size_t length) {
        static const char kHex[] = "0123456789abcdef";
        Require(length > 2 && der[0] == 0x30, "DER signature");
        size_t at = 2;
        std::string hex;
        for (int part = 0; part < 2; ++part) {
            Require(at + 2 <= length && der[at] == 0x02, "DER integer");
            size_t n = der[at + 1];
            const unsigned char* p = der + at + 2;
            at += 2 + n;
            while (n > 32 && *p == 0) {
                ++p;
                --n;
            }
            Require(n <= 32, "integer width");
            hex += std::string(2 * (32 - n), '0');
            for (size_t i = 0; i < n; ++i) {
                hex += kHex[p[i] >> 4];
                hex += kHex[p[i] & 15];
            }
        }
        return hex;
    }

    Pkey m_key;
};

// Verifies against a raw public key, the form the launcher is built with.
class OpenSslVerifier : public ISignatureVerifier {
public:
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
        // Back to DER: INTEGERs without needless leading zeros, with one where
        // the top bit is set.
        std::string der;
        for (int part = 0; part < 2; ++part) {
            const uint8_t* p = signature + 32 * part;
            size_t n = 32;
            while (n > 1 && *p == 0) {
                ++p;
                --n;
            }
            std::string integer(reinterpret_cast<const char*>(p), n);
            if (*p & 0x80)
                integer.insert(integer.begin(), '\0');
            der += '\x02';
            der += static_cast<char>(integer.size());
            der += integer;
        }
        der.insert(0, 1, static_cast<char>(der.size()));
        der.insert(0, 1, '\x30');
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(m_key.get(), nullptr);
        const bool ok =
            context && EVP_PKEY_verify_init(context) == 1 &&
            EVP_PKEY_CTX_set_signature_md(context, EVP_sha256()) == 1 &&
            EVP_PKEY_verify(context, reinterpret_cast<const unsigned char*>(der.data()), der.size(),
                            digest.data(), digest.size()) == 1;
        EVP_PKEY_CTX_free(context);
        return ok;
    }

    int calls = 0;

private:
    Pkey m_key;
};

} // namespace test_signer
