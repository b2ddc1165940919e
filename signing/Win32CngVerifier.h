#pragma once

#include "signing/SignedDocument.h"

#include <windows.h>

#include <bcrypt.h>

#include <string_view>

// Verifies ECDSA P-256 signatures with the community's public key through
// Windows' own cryptography (CNG, bcrypt.dll: every Windows since Vista, and
// Wine), so the launcher carries no cryptography library of its own.
class CngVerifier : public ISignatureVerifier {
public:
    // publicKeyHex: X then Y of the key, 128 lower-case hex characters, the
    // form the build setting takes. A text that is not such a key, or a point
    // that is not on the curve, gives a verifier that refuses everything: a
    // launcher built with a broken key must not fall back to trusting all.
    explicit CngVerifier(std::string_view publicKeyHex);
    ~CngVerifier();
    CngVerifier(const CngVerifier&) = delete;
    CngVerifier& operator=(const CngVerifier&) = delete;

    bool Verify(const Sha256Digest& digest, const uint8_t (&signature)[64]) override;

private:
    BCRYPT_ALG_HANDLE m_algorithm = nullptr;
    BCRYPT_KEY_HANDLE m_key = nullptr;
};
