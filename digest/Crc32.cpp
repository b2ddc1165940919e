#include "digest/Crc32.h"

#include "digest/Crc32Clmul.h"

#include <cstring>

namespace {

// table[k][b] is the state change of byte b followed by k zero bytes, which
// lets one step fold eight bytes with eight independent look-ups.
struct Crc32Tables {
    uint32_t table[8][256];
};

constexpr Crc32Tables MakeTables() {
    Crc32Tables t{};
    for (uint32_t b = 0; b < 256; ++b) {
        uint32_t c = b;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t.table[0][b] = c;
    }
    for (int k = 1; k < 8; ++k)
        for (uint32_t b = 0; b < 256; ++b)
            t.table[k][b] = (t.table[k - 1][b] >> 8) ^ t.table[0][t.table[k - 1][b] & 0xFF];
    return t;
}

// Built by the compiler: no start-up work and nothing to race on between threads.
constexpr Crc32Tables kTables = MakeTables();

inline uint32_t LoadLittle32(const unsigned char* p) {
    // Every build of the launcher runs on little-endian x86.
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

} // namespace

uint32_t Crc32UpdateBytewise(uint32_t state, const void* data, size_t length) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < length; ++i)
        state = (state >> 8) ^ kTables.table[0][(state ^ p[i]) & 0xFF];
    return state;
}

uint32_t Crc32Update(uint32_t state, const void* data, size_t length) {
    // Chosen once, from what the processor offers.
    static const bool clmul = Crc32ClmulAvailable();
    if (clmul && length >= 64)
        return Crc32UpdateClmul(state, data, length);
    return Crc32UpdateSlicing(state, data, length);
}

uint32_t Crc32UpdateSlicing(uint32_t state, const void* data, size_t length) {
    const auto* p = static_cast<const unsigned char*>(data);
    const auto& t = kTables.table;
    while (length >= 8) {
        const uint32_t low = LoadLittle32(p) ^ state;
        const uint32_t high = LoadLittle32(p + 4);
        state = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
                t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
                t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        p += 8;
        length -= 8;
    }
    return Crc32UpdateBytewise(state, p, length);
}
