#include "digest/Sha256.h"
#include "digest/Sha256ShaNi.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The padding's edge cases among them: 56 bytes no longer fit the length in
// the first block; 55 just fits, 63 just misses, 64 is a full block.
TEST(Sha256Test, KnownVectors) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrl"
         "mnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& [text, digest] : cases)
        EXPECT_EQ(DigestHex(Sha256Of(text.data(), text.size())), digest) << text.size();
}

TEST(Sha256Test, SplitFeedsEqualOneFeed) {
    std::mt19937 random(3);
    std::vector<uint8_t> data(300);
    for (auto& b : data)
        b = static_cast<uint8_t>(random());
    for (size_t length : {0u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
        const Sha256Digest whole = Sha256Of(data.data(), length);
        for (size_t split = 0; split <= length; ++split) {
            Sha256 hash;
            hash.Update(data.data(), split);
            hash.Update(data.data() + split, length - split);
            ASSERT_EQ(hash.Finish(), whole) << length << " split at " << split;
        }
    }
}

TEST(Sha256Test, ShaExtensionsMatchThePortableCode) {
    if (!Sha256ShaNiAvailable())
        GTEST_SKIP() << "no SHA extensions on this processor";
    std::mt19937 random(11);
    std::vector<uint8_t> data(64 * 9);
    for (auto& b : data)
        b = static_cast<uint8_t>(random());
    for (size_t blocks = 1; blocks <= 9; ++blocks) {
        uint32_t portable[8], extensions[8];
        for (int i = 0; i < 8; ++i)
            portable[i] = extensions[i] = static_cast<uint32_t>(random());
        Sha256CompressPortable(portable, data.data(), blocks);
        Sha256CompressShaNi(extensions, data.data(), blocks);
        ASSERT_TRUE(std::equal(portable, portable + 8, extensions)) << blocks;
    }
}

} // namespace
