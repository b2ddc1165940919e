#include "identity/Md5.h"
#include "identity/TextDigest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Md5Text(const std::string& text) {
    TextDigest digest;
    digest.SetAlgorithm(5);
    digest.SetText(text);
    return digest.GetDigestText();
}

// Feeds the text in pieces of the given size, the way a stream would arrive.
std::string Md5InPieces(const std::string& text, size_t piece) {
    Md5Context context;
    Md5Init(context);
    for (size_t at = 0; at < text.size(); at += piece) {
        const std::string part = text.substr(at, piece);
        Md5Update(context, reinterpret_cast<const unsigned char*>(part.data()),
                  static_cast<uint32_t>(part.size()));
    }
    Md5Final(context);
    char hex[33];
    for (int i = 0; i < 16; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", context.digest[i]);
    return hex;
}

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(Md5Text(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Text("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Text("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    std::string digits;
    for (int i = 0; i < 8; ++i)
        digits += "1234567890";
    EXPECT_EQ(Md5Text(digits), "57edf4a22be3c955ac49da2e2107b67a");
}

// From 56 bytes on, the padding and the length no longer fit the last block.
TEST(Md5, LengthsAroundTheBlockEndWholeAndInPieces) {
    const struct {
        size_t length;
        const char* digest;
    } cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"}, {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"}, {64, "014842d480b571495a4a0363793f7367"},
        {65, "c743a45e0d2e6a95cb859adae0248435"},
    };
    for (const auto& c : cases) {
        const std::string text(c.length, 'a');
        EXPECT_EQ(Md5Text(text), c.digest) << c.length;
        for (size_t piece : {1, 3, 7, 54, 63, 64})
            EXPECT_EQ(Md5InPieces(text, piece), c.digest) << c.length << " in pieces of " << piece;
    }
}

TEST(TextDigest, OnlyAlgorithmFiveGivesADigest) {
    TextDigest digest;
    digest.SetText("abc");
    EXPECT_EQ(digest.GetDigestText(), ""); // the start value is 6
    digest.SetAlgorithm(4);
    EXPECT_EQ(digest.GetDigestText(), "");
    digest.SetAlgorithm(5);
    EXPECT_EQ(digest.GetDigestText(), "900150983cd24fb0d6963f7d28e17f72");
}

} // namespace
