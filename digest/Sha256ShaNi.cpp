#include "digest/Sha256ShaNi.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

bool Sha256ShaNiAvailable() {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    const bool ssse3AndSse41 = (ecx & bit_SSSE3) && (ecx & bit_SSE4_1);
    if (!ssse3AndSse41 || !__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx))
        return false;
    return (ebx & bit_SHA) != 0;
}

// The instructions keep the eight working values as two vectors: A, B, E, F
// (A in the highest lane) and C, D, G, H. Two rounds turn ABEF into the next
// ABEF, and the old ABEF becomes the next CDGH, so the two vectors swap roles
// every two rounds and are back in place after four. Vector names list the
// lanes from the highest to the lowest.
__attribute__((target("sha,sse4.1,ssse3"))) void
Sha256CompressShaNi(uint32_t state[8], const uint8_t* data, size_t blocks) {
    // Words are big-endian in the message.
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bll, 0x0405060700010203ll);
    const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i savedAbef = abef;
        const __m128i savedCdgh = cdgh;
        __m128i m[4];
        for (int i = 0; i < 4; ++i)
            m[i] = _mm_shuffle_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
        for (int i = 0; i < 16; ++i) {
            __m128i w = m[i & 3];
            if (i >= 4) {
                // W[t..t+3] from W[t-16..t-1]: m[i & 3] holds W[t-16..t-13].
                __m128i t = _mm_sha256msg1_epu32(m[i & 3], m[(i + 1) & 3]);
                t = _mm_add_epi32(t, _mm_alignr_epi8(m[(i + 3) & 3], m[(i + 2) & 3], 4));
                w = _mm_sha256msg2_epu32(t, m[(i + 3) & 3]);
                m[i & 3] = w;
            }
            const __m128i wk = _mm_add_epi32(
                w, _mm_load_si128(reinterpret_cast<const __m128i*>(kSha256Round + 4 * i)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(wk, 0x0E));
        }
        abef = _mm_add_epi32(abef, savedAbef);
        cdgh = _mm_add_epi32(cdgh, savedCdgh);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#else

bool Sha256ShaNiAvailable() {
    return false;
}
void Sha256CompressShaNi(uint32_t*, const uint8_t*, size_t) {}

#endif
