#include "identity/TextDigest.h"

#include <gtest/gtest.h>

namespace {

std::string Md5Text(const std::string& text) {
    TextDigest digest;
    digest.SetAlgorithm(5);
    digest.SetText(text);
    return digest.GetDigestText();
}

// The RFC 1321 suite, and the lengths around the block end: from 56 bytes on,
// the padding and the length no longer fit the last block.
TEST(TextDigestTest, Md5KnownDigests) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
    };
    for (const auto& [text, digest] : cases)
        EXPECT_EQ(Md5Text(text), digest) << text.size();
}

TEST(TextDigestTest, OnlyAlgorithmFiveGivesADigest) {
    TextDigest digest;
    digest.SetText("abc");
    EXPECT_EQ(digest.GetDigestText(), ""); // the start value is 6
    digest.SetAlgorithm(4);
    EXPECT_EQ(digest.GetDigestText(), "");
    digest.SetAlgorithm(5);
    EXPECT_EQ(digest.GetDigestText(), "900150983cd24fb0d6963f7d28e17f72");
}

} // namespace
