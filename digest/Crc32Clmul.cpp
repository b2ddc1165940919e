#include "digest/Crc32Clmul.h"

#include "digest/Crc32.h"

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>
#include <wmmintrin.h>

namespace {

// x^n mod P for the CRC polynomial in its plain form (bit d = coefficient of x^d).
constexpr uint64_t PowerModP(int n) {
    uint64_t r = 1;
    for (int i = 0; i < n; ++i) {
        r <<= 1;
        if (r & 0x100000000ull)
            r ^= 0x104C11DB7ull;
    }
    return r;
}

// The CRC works on bit-reflected data: a 64-bit lane holds the coefficient of
// x^(63-j) in its bit j. A carry-less product of two such lanes, read as a
// 128-bit reflected value, is x times the product of the polynomials, which
// is why every fold constant below is one power lower than the distance.
constexpr uint64_t Reflected(uint64_t plain) {
    uint64_t r = 0;
    for (int d = 0; d < 32; ++d)
        if (plain & (1ull << d))
            r |= 1ull << (63 - d);
    return r;
}

// Folding a 128-bit block D bits ahead: its first 64 bits (the low lane, the
// higher powers) are multiplied by x^(D+64), its last 64 bits by x^D.
struct FoldConstants {
    uint64_t low;
    uint64_t high;
};
constexpr FoldConstants Fold(int distance) {
    return {Reflected(PowerModP(distance + 64 - 1)), Reflected(PowerModP(distance - 1))};
}

constexpr FoldConstants kFold512 = Fold(512);
constexpr FoldConstants kFold384 = Fold(384);
constexpr FoldConstants kFold256 = Fold(256);
constexpr FoldConstants kFold128 = Fold(128);

__attribute__((target("pclmul,sse2"))) inline __m128i Constants(const FoldConstants& k) {
    return _mm_set_epi64x(static_cast<long long>(k.high), static_cast<long long>(k.low));
}

__attribute__((target("pclmul,sse2"))) inline __m128i FoldBy(__m128i block, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(block, k, 0x00),
                         _mm_clmulepi64_si128(block, k, 0x11));
}

__attribute__((target("pclmul,sse2"))) inline __m128i Load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

} // namespace

bool Crc32ClmulAvailable() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
}

__attribute__((target("pclmul,sse2"))) uint32_t Crc32UpdateClmul(uint32_t state, const void* data,
                                                                 size_t length) {
    const auto* p = static_cast<const unsigned char*>(data);
    // The running state is the same as XOR-ing it into the first four bytes.
    __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x1 = Load(p + 16);
    __m128i x2 = Load(p + 32);
    __m128i x3 = Load(p + 48);
    p += 64;
    length -= 64;
    const __m128i k512 = Constants(kFold512);
    while (length >= 64) {
        x0 = _mm_xor_si128(FoldBy(x0, k512), Load(p));
        x1 = _mm_xor_si128(FoldBy(x1, k512), Load(p + 16));
        x2 = _mm_xor_si128(FoldBy(x2, k512), Load(p + 32));
        x3 = _mm_xor_si128(FoldBy(x3, k512), Load(p + 48));
        p += 64;
        length -= 64;
    }
    __m128i x = _mm_xor_si128(
        _mm_xor_si128(FoldBy(x0, Constants(kFold384)), FoldBy(x1, Constants(kFold256))),
        _mm_xor_si128(FoldBy(x2, Constants(kFold128)), x3));
    const __m128i k128 = Constants(kFold128);
    while (length >= 16) {
        x = _mm_xor_si128(FoldBy(x, k128), Load(p));
        p += 16;
        length -= 16;
    }
    // The folded block is congruent to everything read so far, so its own CRC
    // from a zero state is the running state; the rest goes the table way.
    alignas(16) unsigned char folded[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(folded), x);
    return Crc32UpdateBytewise(Crc32UpdateBytewise(0, folded, 16), p, length);
}

#else

bool Crc32ClmulAvailable() {
    return false;
}
uint32_t Crc32UpdateClmul(uint32_t state, const void* data, size_t length) {
    return Crc32UpdateBytewise(state, data, length);
}

#endif
