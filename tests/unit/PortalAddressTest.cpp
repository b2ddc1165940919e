#include "portal/PortalAddress.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// The table is shared with the configure-time check (cmake/PortalHost.cmake,
// run over the same file by the portal_host_setting test): a setting that
// the build accepts is one the launcher can use, and the two agree on the
// address it makes.
TEST(PortalAddressTest, TheSettingGivesSchemeHostAndPortOrIsRefused) {
    std::ifstream table(VEMOR_PORTAL_SETTINGS_TABLE);
    ASSERT_TRUE(table) << VEMOR_PORTAL_SETTINGS_TABLE;
    int rows = 0;
    for (std::string line; std::getline(table, line); ++rows) {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string setting = line.substr(0, tab);
        const std::string expected = line.substr(tab + 1);
        const std::optional<PortalServer> server = ParsePortalServer(setting);
        EXPECT_EQ(server ? server->Url("") : "refused", expected) << '"' << setting << '"';
        EXPECT_EQ(PortalUrl(setting, "/files.php"), server ? expected + "/files.php" : "");
    }
    EXPECT_GT(rows, 20);
}

// That the address escapes the language at all; which bytes, the next test.
TEST(PortalAddressTest, ALanguageValueCannotEndTheQueryOrRedirectTheAddress) {
    EXPECT_EQ(PortalAddress("127.0.0.1:8111", "pt-BR"),
              "http://127.0.0.1:8111/tabs.php?lang=pt-BR");
    EXPECT_EQ(PortalAddress("https://portal.example.org:8443/", "en#x"),
              "https://portal.example.org:8443/tabs.php?lang=en%23x");
}

TEST(PortalAddressTest, EveryEscapedValueHoldsOnlySafeCharacters) {
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
