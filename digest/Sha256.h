#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

// SHA-256 (FIPS 180-4), fed in pieces of any size: a download is hashed as
// its bytes arrive, so verifying it costs no second read of the disk.
class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t length);
    // The digest of everything fed; the object is spent afterwards.
    Sha256Digest Finish();

private:
    void Compress(const uint8_t* data, size_t blocks);

    uint32_t m_state[8];
    uint8_t m_block[64];
    size_t m_blockLength = 0;
    uint64_t m_totalLength = 0;
};

Sha256Digest Sha256Of(const void* data, size_t length);

// The portable compression of blocks of 64 bytes into state (a to h); the
// reference the processor's SHA extensions must match.
void Sha256CompressPortable(uint32_t state[8], const uint8_t* data, size_t blocks);

// 64 lower-case hex characters.
std::string DigestHex(const Sha256Digest& digest);
