#include "portal/PortalAddress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Ordinary language codes are appended unchanged; no value can end the
// query or redirect the address.
TEST(PortalAddress, ALanguageValueCannotEndTheQueryOrRedirectTheAddress) {
    EXPECT_EQ(PortalAddress("127.0.0.1:8111", "pt-BR"),
              "http://127.0.0.1:8111/tabs.php?lang=pt-BR");
    EXPECT_EQ(PortalAddress("p", "en#x"), "http://p/tabs.php?lang=en%23x");
    EXPECT_EQ(PortalAddress("p", "en&lang=ru"), "http://p/tabs.php?lang=en%26lang%3Dru");
    EXPECT_EQ(PortalAddress("p", "100%"), "http://p/tabs.php?lang=100%25");
    EXPECT_EQ(PortalAddress("p", "pt BR"), "http://p/tabs.php?lang=pt%20BR");
    EXPECT_EQ(PortalAddress("p", "en\r\nHost: evil"),
              "http://p/tabs.php?lang=en%0D%0AHost%3A%20evil");
    EXPECT_EQ(PortalAddress("p", "/../../x?y"), "http://p/tabs.php?lang=%2F..%2F..%2Fx%3Fy");
    EXPECT_EQ(PortalAddress("p", std::string("e\0n", 3)), "http://p/tabs.php?lang=e%00n");
    // Bytes of the 8-bit code page are escaped byte by byte.
    EXPECT_EQ(PortalAddress("p", "\xE9\xFF"), "http://p/tabs.php?lang=%E9%FF");
}

TEST(PortalAddress, EveryEscapedValueHoldsOnlySafeCharacters) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string escaped = EscapeQueryValue(all);
    for (unsigned char c : escaped) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                          c == '%';
        EXPECT_TRUE(safe) << static_cast<int>(c);
    }
    EXPECT_EQ(escaped.size(), 66u + 190u * 3u);
}

} // namespace
