#pragma once

#include <cstddef>
#include <cstdint>

// The carry-less-multiply path of the CRC-32, for processors with PCLMULQDQ.
// Only to be called when Crc32ClmulAvailable() and length >= 64.
bool Crc32ClmulAvailable();
uint32_t Crc32UpdateClmul(uint32_t state, const void* data, size_t length);
