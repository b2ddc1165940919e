#include "signing/Win32CngVerifier.h"

#include "text/Numbers.h"

#include <cstring>

CngVerifier::CngVerifier(std::string_view publicKeyHex) {
    // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y, 32 bytes each.
    struct {
        BCRYPT_ECCKEY_BLOB header;
        uint8_t point[64];
    } blob;
    blob.header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    blob.header.cbKey = 32;
    static_assert(sizeof blob == sizeof(BCRYPT_ECCKEY_BLOB) + 64, "no padding in the key blob");
    if (!ParseLowerHex(publicKeyHex, blob.point, sizeof blob.point))
        return;
    if (!BCRYPT_SUCCESS(
            ::BCryptOpenAlgorithmProvider(&m_algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) {
        m_algorithm = nullptr;
        return;
    }
    if (!BCRYPT_SUCCESS(::BCryptImportKeyPair(m_algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &m_key,
                                              reinterpret_cast<PUCHAR>(&blob), sizeof blob, 0)))
        m_key = nullptr;
}

CngVerifier::~CngVerifier() {
    if (m_key)
        ::BCryptDestroyKey(m_key);
    if (m_algorithm)
        ::BCryptCloseAlgorithmProvider(m_algorithm, 0);
}

bool CngVerifier::Verify(const Sha256Digest& digest, const uint8_t (&signature)[64]) {
    if (!m_key)
        return false;
    // The API takes non-const buffers but only reads them.
    Sha256Digest hash = digest;
    uint8_t copy[64];
    std::memcpy(copy, signature, sizeof copy);
    return ::BCryptVerifySignature(m_key, nullptr, hash.data(), static_cast<ULONG>(hash.size()),
                                   copy, sizeof copy, 0) == 0;
}
