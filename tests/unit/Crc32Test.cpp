#include "digest/Crc32.h"
#include "digest/Crc32Clmul.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(Crc32Test, KnownValues) {
    EXPECT_EQ(Crc32("", 0), 0u); // a zero-byte file has CRC 0
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

TEST(Crc32Test, EveryPathMatchesTheByteLoop) {
    std::mt19937 random(7);
    std::vector<unsigned char> data(4096 + 16);
    for (auto& b : data)
        b = static_cast<unsigned char>(random());
    const bool clmul = Crc32ClmulAvailable();
    for (uint32_t start : {kCrc32Start, 0u, 0x12345678u}) {
        for (size_t offset = 0; offset < 16; ++offset) {
            for (size_t length = 0; length <= 700; ++length) {
                const unsigned char* p = data.data() + offset;
                const uint32_t slow = Crc32UpdateBytewise(start, p, length);
                ASSERT_EQ(Crc32UpdateSlicing(start, p, length), slow) << offset << " " << length;
                ASSERT_EQ(Crc32Update(start, p, length), slow) << offset << " " << length;
                if (clmul && length >= 64) {
                    ASSERT_EQ(Crc32UpdateClmul(start, p, length), slow) << offset << " " << length;
                }
            }
        }
    }
    const uint32_t whole = Crc32(data.data(), 4096);
    uint32_t state = kCrc32Start;
    for (size_t pos = 0; pos < 4096;) {
        const size_t piece = std::min<size_t>(4096 - pos, 1 + (pos * 7) % 1031);
        state = Crc32Update(state, data.data() + pos, piece);
        pos += piece;
    }
    EXPECT_EQ(Crc32Finish(state), whole);
}

} // namespace
