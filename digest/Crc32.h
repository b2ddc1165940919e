#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 of ISO-HDLC / IEEE 802.3 (reflected polynomial 0xEDB88320), the one
// the manifest's CRC field holds. The running state starts at kCrc32Start and
// is complemented once at the end (Crc32Finish).
constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;

inline uint32_t Crc32Finish(uint32_t state) {
    return ~state;
}

// Feeds bytes into a running state: carry-less multiplication when the
// processor has it, eight bytes per step otherwise.
uint32_t Crc32Update(uint32_t state, const void* data, size_t length);

// The portable eight-bytes-per-step path.
uint32_t Crc32UpdateSlicing(uint32_t state, const void* data, size_t length);

// The classic one-byte-per-step loop; the reference the fast path must match.
uint32_t Crc32UpdateBytewise(uint32_t state, const void* data, size_t length);

// The CRC-32 of one whole buffer.
inline uint32_t Crc32(const void* data, size_t length) {
    return Crc32Finish(Crc32Update(kCrc32Start, data, length));
}
