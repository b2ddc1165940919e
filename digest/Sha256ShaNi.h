#pragma once

#include <cstddef>
#include <cstdint>

// The SHA-256 compression with the processor's SHA extensions (Intel since
// Goldmont and Ice Lake, AMD since Zen), some ten times the portable code:
// verifying a download then costs little against the download itself.
bool Sha256ShaNiAvailable();
// Folds blocks of 64 bytes into state (a to h). Only to be called when
// Sha256ShaNiAvailable().
void Sha256CompressShaNi(uint32_t state[8], const uint8_t* data, size_t blocks);

// SHA-256's round constants, shared with the portable code; 16-byte aligned.
extern const uint32_t kSha256Round[64];
