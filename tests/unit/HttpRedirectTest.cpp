#include "net/HttpRedirect.h"

#include <gtest/gtest.h>

namespace {

constexpr RedirectDecision kFollow = RedirectDecision::kFollow;
constexpr RedirectDecision kDowngrade = RedirectDecision::kRefusedDowngrade;
constexpr RedirectDecision kBad = RedirectDecision::kRefusedTarget;

TEST(HttpRedirectTest, LeadsOnlyToWebAddressesAndNeverFromHttpsToHttp) {
    const struct {
        const char* from;
        const char* location;
        const char* target;
        RedirectDecision decision;
    } cases[] = {
        {"http://p.example/files.php", "https://p.example/files.php", "https://p.example/files.php",
         kFollow},
        {"http://p.example:8111/files.php", "HTTPS://p.example:8443/files.php#top",
         "https://p.example:8443/files.php", kFollow},
        {"https://p.example/files.php", "https://www.p.example/files.php",
         "https://www.p.example/files.php", kFollow},
        {"https://p.example/files.php", "http://p.example/files.php", "http://p.example/files.php",
         kDowngrade},
        {"https://p.example/files.php", "//p.example/new.php", "https://p.example/new.php",
         kFollow},
        {"https://p.example:8443/INFO/serverlist.inf?x=1", "/INFO/list.inf",
         "https://p.example:8443/INFO/list.inf", kFollow},
        {"https://p.example/INFO/serverlist.inf?x=1", "list.inf", "https://p.example/INFO/list.inf",
         kFollow},
        {"https://p.example/files.php?a=1", "?a=2", "https://p.example/files.php?a=2", kFollow},
        {"https://p.example", "files.php", "https://p.example/files.php", kFollow},
        {"https://p.example/files.php", "ftp://p.example/files.php", "", kBad},
        {"https://p.example/files.php", "javascript:alert(1)", "", kBad},
        {"https://p.example/files.php", "#top", "", kBad},
        {"https://p.example/files.php", "https:///files.php", "", kBad},
        {"https://p.example/files.php", "/a b", "", kBad},
        {"https://p.example/files.php", "https://p.example\\@evil/", "", kBad},
    };
    for (const auto& c : cases) {
        std::string target = "stale";
        EXPECT_EQ(DecideRedirect(c.from, c.location, target), c.decision)
            << c.from << " -> " << c.location;
        EXPECT_EQ(target, c.target) << c.from << " -> " << c.location;
    }
}

} // namespace
