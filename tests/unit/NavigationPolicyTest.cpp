#include "portal/NavigationPolicy.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const NavigationDecision kStay = NavigationDecision::StayInView;
const NavigationDecision kOpen = NavigationDecision::OpenExternally;
const NavigationDecision kRefuse = NavigationDecision::Refuse;

struct Case {
    const char* url;
    NavigationDecision decision;
};

void ExpectAfterFirstPage(const Case* cases, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(DecideNavigation(cases[i].url, true), cases[i].decision) << cases[i].url;
}

TEST(NavigationPolicy, EverythingStaysInTheViewUntilTheFirstPageHasLoaded) {
    for (const char* url : {"http://portal.example/tabs.php?lang=en", "https://x.example/",
                            "file:///C:/Windows/System32/calc.exe", "C:\\evil.exe", ""})
        EXPECT_EQ(DecideNavigation(url, false), kStay) << url;
}

TEST(NavigationPolicy, OnlyTheHostLocalhostResAndFragmentsStay) {
    const Case cases[] = {
        {"http://localhost/", kStay},
        {"http://localhost", kStay},
        {"http://localhost:8080/x", kStay},
        {"http://localhost?x=1", kStay},
        // Other hosts whose text merely begins like the local one.
        {"http://localhostile.example/", kOpen},
        {"http://localhost.example.org/", kOpen},
        {"http://localhost@example.org/", kOpen},
        {"http://localhost\\x", kRefuse},
        {"res://ieframe.dll/navcancl.htm", kStay},
        {"https://portal.example/news#top", kStay},
        {"#", kStay},
        {"HTTP://LOCALHOST/", kOpen}, // case-sensitive prefix: external
        {"RES://x.dll/y", kRefuse},
        {"http://localhos", kOpen}, // shorter than the prefix never matches
        {"res:/", kRefuse},
    };
    ExpectAfterFirstPage(cases, sizeof cases / sizeof cases[0]);
    // A NUL after the name ends no host: the address is refused, not local.
    const std::string withNul("http://localhost\0.evil.example/", 31);
    EXPECT_EQ(DecideNavigation(withNul, true), kRefuse);
}

TEST(NavigationPolicy, BrowserAndMailAddressesAreHandedToTheSystem) {
    const Case cases[] = {
        {"https://forum.vemor.example/", kOpen},
        {"http://forum.vemor.example/viewtopic.php?t=1&p=2", kOpen},
        {"http://127.0.0.1:8111/tabs.php?lang=ru", kOpen}, // the portal's own pages too
        {"mailto:admin@vemor.example", kOpen},
        {"about:blank", kOpen},
        {"HTTPS://FORUM.VEMOR.EXAMPLE/", kOpen},
        {"MailTo:admin@vemor.example", kOpen},
        {"http://", kOpen},
    };
    ExpectAfterFirstPage(cases, sizeof cases / sizeof cases[0]);
}

TEST(NavigationPolicy, TargetsThatWouldStartProgramsAreRefusedAndStartNothing) {
    const Case cases[] = {
        {"file:///C:/Windows/System32/calc.exe", kRefuse},
        {"file://host/share/x.exe", kRefuse},
        {"C:\\Users\\player\\Downloads\\x.exe", kRefuse},
        {"C:/x.exe", kRefuse},
        {"\\\\host\\share\\x.exe", kRefuse},
        {"//host/share/x.exe", kRefuse},
        {"x.exe", kRefuse},
        {"cmd.exe /c calc", kRefuse},
        {"javascript:alert(1)", kRefuse},
        {"vbscript:msgbox(1)", kRefuse},
        {"ms-settings:", kRefuse},
        {"search-ms:query=x", kRefuse},
        {"steam://run/440", kRefuse},
        {"ftp://127.0.0.1/x.exe", kRefuse},
        {"about:blank2", kRefuse},
        {"about:config", kRefuse},
        {"", kRefuse},
        // Browser and mail addresses that could split the opening program's
        // command line or be read as a path.
        {"http://x.example/\" --disable-sandbox \"", kRefuse},
        {"http://x.example/ C:\\x.exe", kRefuse},
        {"http:\\\\host\\share\\x.exe", kRefuse},
        {"http://x.example/\tfile", kRefuse},
        {"mailto:a@b.example\r\nC:\\x.exe", kRefuse},
        {" http://x.example/", kRefuse},
        {"http://x.example/\x7f", kRefuse},
    };
    ExpectAfterFirstPage(cases, sizeof cases / sizeof cases[0]);
}

TEST(NavigationPolicy, AFragmentKeepsEvenAnOddTargetInsideTheViewWhereNothingIsStarted) {
    // The browser control itself decides about such addresses; the system is
    // never asked to open them.
    EXPECT_EQ(DecideNavigation("file:///C:/x.exe#top", true), kStay);
    EXPECT_FALSE(IsSafeExternalTarget("file:///C:/x.exe#top"));
}

TEST(NavigationPolicy, ANewWindowNeverOpensInTheViewOnlyASafeTargetReachesTheSystem) {
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
