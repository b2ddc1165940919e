#include "portal/PortalAddress.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// The table is shared with the configure-time check (cmake/PortalHost.cmake,
// run over the same file by the portal_host_setting test): a setting that
// the build accepts is one the launcher can use, and the two agree on the
// address it makes.
TEST(PortalAddress, TheSettingGivesSchemeHostAndPortOrIsRefused) {
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

TEST(PortalAddress, ALanguageValueCannotEndTheQueryOrRedirectTheAddress) {
    EXPECT_EQ(PortalAddress("127.0.0.1:8111", "pt-BR"),
              "http://127.0.0.1:8111/tabs.php?lang=pt-BR");
    EXPECT_EQ(PortalAddress("https://portal.example.org:8443/", "en#x"),
              "https://portal.example.org:8443/tabs.php?lang=en%23x");
    // Bytes of the 8-bit code page are escaped byte by byte.
    const std::pair<std::string, const char*> cases[] = {
        {"en#x", "en%23x"},
        {"en&lang=ru", "en%26lang%3Dru"},
        {"100%", "100%25"},
        {"pt BR", "pt%20BR"},
        {"en\r\nHost: evil", "en%0D%0AHost%3A%20evil"},
        {"/../../x?y", "%2F..%2F..%2Fx%3Fy"},
        {std::string("e\0n", 3), "e%00n"},
        {"\xE9\xFF", "%E9%FF"}};
    for (const auto& [lang, query] : cases)
        EXPECT_EQ(PortalAddress("p", lang), std::string("http://p/tabs.php?lang=") + query);
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
