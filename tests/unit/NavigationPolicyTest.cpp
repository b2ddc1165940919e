#include "portal/NavigationPolicy.h"

#include <gtest/gtest.h>

namespace {

const NavigationDecision kStay = NavigationDecision::kStayInView;
const NavigationDecision kOpen = NavigationDecision::kOpenExternally;
const NavigationDecision kRefuse = NavigationDecision::kRefuse;

TEST(NavigationPolicyTest, EverythingStaysInTheViewUntilTheFirstPageHasLoaded) {
    for (const char* url : {"http://portal.example/tabs.php?lang=en", "https://x.example/",
                            "file:///C:/Windows/System32/calc.exe", "C:\\evil.exe", ""})
        EXPECT_EQ(DecideNavigation(url, false), kStay) << url;
}

TEST(NavigationPolicyTest, AfterTheFirstPage) {
    const std::pair<const char*, NavigationDecision> cases[] = {
        {"http://localhost/", kStay},
        {"http://localhost", kStay},
        {"http://localhost:8080/x", kStay},
        {"http://localhost?x=1", kStay},
        {"http://localhos", kOpen}, // shorter than the prefix never matches
        // Other hosts whose text merely begins like the local one.
        {"http://localhostile.example/", kOpen},
        {"http://localhost.example.org/", kOpen},
        {"http://localhost@example.org/", kOpen},
        {"http://localhost\\x", kRefuse},
        {"res://ieframe.dll/navcancl.htm", kStay},
        {"https://portal.example/news#top", kStay},
        {"HTTP://LOCALHOST/", kOpen}, // case-sensitive prefix: external
        {"RES://x.dll/y", kRefuse},
        {"https://forum.vemor.example/", kOpen},
        {"http://127.0.0.1:8111/tabs.php?lang=ru", kOpen}, // the portal's own pages too
        {"mailto:admin@vemor.example", kOpen},
        {"about:blank", kOpen},
        {"HTTPS://FORUM.VEMOR.EXAMPLE/", kOpen},
        {"MailTo:admin@vemor.example", kOpen},
        {"file:///C:/Windows/System32/calc.exe", kRefuse},
        {"C:\\Users\\player\\Downloads\\x.exe", kRefuse},
        {"\\\\host\\share\\x.exe", kRefuse},
        {"//host/share/x.exe", kRefuse},
        {"cmd.exe /c calc", kRefuse},
        {"javascript:alert(1)", kRefuse},
        {"search-ms:query=x", kRefuse},
        {"ftp://127.0.0.1/x.exe", kRefuse},
        {"about:blank2", kRefuse},
        {"", kRefuse},
        // Browser and mail addresses that could split the opening program's
        // command line or be read as a path.
        {"http://x.example/\" --disable-sandbox \"", kRefuse},
        {"http://x.example/ C:\\x.exe", kRefuse},
        {"http:\\\\host\\share\\x.exe", kRefuse},
        {"mailto:a@b.example\r\nC:\\x.exe", kRefuse},
        {" http://x.example/", kRefuse},
        {"http://x.example/\x7f", kRefuse},
        {"file:///C:/x.exe#top", kStay}, // the browser control decides; nothing is started
    };
    for (const auto& [url, decision] : cases)
        EXPECT_EQ(DecideNavigation(url, true), decision) << url;
    // A NUL after the name ends no host: the address is refused, not local.
    EXPECT_EQ(DecideNavigation(std::string("http://localhost\0.evil.example/", 31), true), kRefuse);
    EXPECT_FALSE(IsSafeExternalTarget("file:///C:/x.exe#top"));
}

TEST(NavigationPolicyTest, ANewWindowNeverOpensInTheViewOnlyASafeTargetReachesTheSystem) {
    const std::string safe[] = {"https://forum.vemor.example/", "mailto:admin@vemor.example",
                                "http://localhost/x", "https://x.example/#top"};
    for (const std::string& url : safe)
        EXPECT_EQ(DecideNewWindow(&url), kOpen) << url;
    const std::string refused[] = {"file:///C:/x.exe",
                                   "javascript:alert(1)",
                                   "res://x.dll/y",
                                   "#top",
                                   "",
                                   "http://x.example/\" C:\\x.exe"};
    for (const std::string& url : refused)
        EXPECT_EQ(DecideNewWindow(&url), kRefuse) << url;
    // NewWindow2 does not say where the window would go.
    EXPECT_EQ(DecideNewWindow(nullptr), kRefuse);
}

} // namespace
