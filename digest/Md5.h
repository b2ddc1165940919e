#pragma once

#include <cstdint>

// MD5 as RFC 1321 defines it. The machine identifier and the key that
// scrambles the stored access values are MD5 digests, and both must come out
// the same to the bit on every build, so this is our own plain code.
struct Md5Context {
    uint32_t bitCount[2]; // message bits fed so far, low word first
    uint32_t chaining[4]; // A, B, C, D
    unsigned char block[64];
    unsigned char digest[16]; // written by Md5Final
};

void Md5Init(Md5Context& context);
void Md5Update(Md5Context& context, const unsigned char* bytes, uint32_t length);
void Md5Final(Md5Context& context);
// Compresses one 64-byte block, given as 16 little-endian words.
void Md5Transform(const uint32_t blockWords[16], uint32_t chaining[4]);
