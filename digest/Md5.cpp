#include "digest/Md5.h"

#include <cstring>

namespace {

// floor(abs(sin(i + 1)) * 2^32) for the 64 steps.
const uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left rotation of each round, four per round.
const int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

inline uint32_t RotateLeft(uint32_t value, int count) {
    return (value << count) | (value >> (32 - count));
}

inline uint32_t LoadLittle(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void StoreLittle(uint32_t value, unsigned char* p) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

void TransformBlock(Md5Context& context) {
    uint32_t words[16];
    for (int i = 0; i < 16; ++i)
        words[i] = LoadLittle(context.block + 4 * i);
    Md5Transform(words, context.chaining);
}

} // namespace

void Md5Transform(const uint32_t blockWords[16], uint32_t chaining[4]) {
    uint32_t a = chaining[0], b = chaining[1], c = chaining[2], d = chaining[3];
    for (int step = 0; step < 64; ++step) {
        const int round = step / 16;
        uint32_t mix;
        int word;
        switch (round) {
        case 0:
            mix = (b & c) | (~b & d);
            word = step;
            break;
        case 1:
            mix = (b & d) | (c & ~d);
            word = (5 * step + 1) % 16;
            break;
        case 2:
            mix = b ^ c ^ d;
            word = (3 * step + 5) % 16;
            break;
        default:
            mix = c ^ (b | ~d);
            word = (7 * step) % 16;
            break;
        }
        const uint32_t sum = a + mix + kSine[step] + blockWords[word];
        a = d;
        d = c;
        c = b;
        b = b + RotateLeft(sum, kShift[round][step % 4]);
    }
    chaining[0] += a;
    chaining[1] += b;
    chaining[2] += c;
    chaining[3] += d;
}

void Md5Init(Md5Context& context) {
    std::memset(&context, 0, sizeof context);
    context.chaining[0] = 0x67452301;
    context.chaining[1] = 0xefcdab89;
    context.chaining[2] = 0x98badcfe;
    context.chaining[3] = 0x10325476;
}

void Md5Update(Md5Context& context, const unsigned char* bytes, uint32_t length) {
    uint32_t used = (context.bitCount[0] >> 3) & 63;
    const uint32_t addedBits = length << 3;
    context.bitCount[0] += addedBits;
    if (context.bitCount[0] < addedBits)
        ++context.bitCount[1];
    context.bitCount[1] += length >> 29;

    while (length > 0) {
        uint32_t take = 64 - used;
        if (take > length)
            take = length;
        std::memcpy(context.block + used, bytes, take);
        used += take;
        bytes += take;
        length -= take;
        if (used == 64) {
            TransformBlock(context);
            used = 0;
        }
    }
}

void Md5Final(Md5Context& context) {
    unsigned char lengthBytes[8];
    StoreLittle(context.bitCount[0], lengthBytes);
    StoreLittle(context.bitCount[1], lengthBytes + 4);

    // One 0x80 byte, then zeros up to 56 modulo 64, then the bit count.
    static const unsigned char kPadding[64] = {0x80};
    const uint32_t used = (context.bitCount[0] >> 3) & 63;
    const uint32_t padLength = used < 56 ? 56 - used : 120 - used;
    Md5Update(context, kPadding, padLength);
    Md5Update(context, lengthBytes, 8);

    for (int i = 0; i < 4; ++i)
        StoreLittle(context.chaining[i], context.digest + 4 * i);
}
