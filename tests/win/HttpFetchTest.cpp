// Against servers started by update_servers.py (failures the end-to-end
// scenarios do not reach) and tools/tls/tls_servers.py (HTTPS); run plainly,
// the tests skip themselves.
#include "TestFolder.h"
#include "tests/unit/UpdateFakes.h"

#include "BuildConfig.h"
#include "net/Win32HttpFetch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace {

// A silent server fails a call within this; the product waits kStallTimeout.
constexpr DWORD kShortStall = 1500;

#define NEED_SERVERS(variable)                                                                     \
    if (TestSetting(variable).empty())                                                             \
    GTEST_SKIP() << "run by the script that starts the servers"

TEST(HttpFetchTest, ReadsTheWholeTextUpToTheLimit) {
    NEED_SERVERS("VEMOR_TEST_TRICKLE");
    HttpFetch fetch(UpdateMode::kPlain, kShortStall);
    std::string text;
    // Sent in three pieces with pauses: the text is complete, cut one byte
    // beyond the limit, which tells the reader that it was cut.
    ASSERT_TRUE(
        fetch.Fetch("http://" + TestSetting("VEMOR_TEST_TRICKLE") + "/x", kPortalTextLimit, text));
    std::string expected;
    for (int i = 0; expected.size() <= 10000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%05d|trickled line\r\n", i);
        expected += line;
    }
    EXPECT_EQ(text, expected.substr(0, 10001));
}

// The silent server within the stall time-out instead of WinINet's hour.
TEST(HttpFetchTest, FailuresGiveAnEmptyText) {
    NEED_SERVERS("VEMOR_TEST_TRICKLE");
    for (const std::string& url :
         {"http://" + TestSetting("VEMOR_TEST_TRICKLE") + "/missing",
          "http://127.0.0.1:" + TestSetting("VEMOR_TEST_DOWN_PORT") + "/files.php",
          "http://127.0.0.1:" + TestSetting("VEMOR_TEST_SILENT_PORT") + "/files.php",
          "http://" + TestSetting("VEMOR_TEST_TRICKLE") + "/slow"}) {
        HttpFetch fetch(UpdateMode::kPlain, kShortStall, 3000);
        std::string text = "stale";
        EXPECT_FALSE(fetch.Fetch(url, kPortalTextLimit, text)) << url;
        EXPECT_EQ(text, "") << url;
    }
}

// The kit keeps the agent in its sign-in log and says on an error page's
// first line why it refused.
TEST(HttpFetchTest, TheServerHearsTheLauncherAndTheLogItsReason) {
    NEED_SERVERS("VEMOR_TEST_TRICKLE");
    CapturedLog log;
    const std::string server = "http://" + TestSetting("VEMOR_TEST_TRICKLE");
    std::string text;
    ASSERT_TRUE(HttpFetch(UpdateMode::kSigned).Fetch(server + "/agent", kPortalTextLimit, text));
    EXPECT_EQ(text, std::string("vemor/") + build_config::kVersion + " (signed)");
    ASSERT_TRUE(HttpFetch(UpdateMode::kPlain).Fetch(server + "/agent", kPortalTextLimit, text));
    EXPECT_EQ(text, std::string("vemor/") + build_config::kVersion + " (plain)");
    EXPECT_FALSE(HttpFetch(UpdateMode::kPlain).Fetch(server + "/refused", kPortalTextLimit, text));
    ASSERT_FALSE(log.lines.empty());
    const std::string& line = log.lines.back();
    const std::string head = "GET " + server + "/refused: HTTP 403, 51 bytes, ";
    EXPECT_EQ(line.substr(0, head.size()), head);
    EXPECT_EQ(line.substr(line.find(" ms; ")),
              " ms; the server says: launcher too old:  [2Jupdate by hand")
        << line;
}

std::string Url(const std::string& server, const char* path) {
    return (server == "PLAIN" ? "http" : "https") + std::string("://localhost:") +
           TestSetting("VEMOR_TEST_TLS_" + server) + path;
}

std::string FileBytes(const char* name) {
    std::ifstream file(TestSetting("VEMOR_TEST_TLS_FILES") + "\\" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A certificate with the good one's key and name, lacking one thing each,
// fails for its own reason; Wine reports an authority it does not trust as a
// failed revocation check (12057) where Windows says 12045. Up to HTTPS the
// fetch follows a redirect (Windows would refuse it without being told),
// down to plain HTTP never, and a loop ends. What arrives over HTTPS is the
// manifest byte for byte (CR LF, bytes above 127). The log says each step.
TEST(HttpsFetchTest, OnlyACertificateWindowsAcceptsAndRedirectsTowardsHttps) {
    NEED_SERVERS("VEMOR_TEST_TLS_GOOD");
    const std::string manifest = FileBytes("manifest.txt");
    ASSERT_FALSE(manifest.empty());
    const std::string files = Url("GOOD", "/files.php");
    const std::string cases[][3] = {
        {Url("WRONG_NAME", "/files.php"), "", "error 12038\\b.*is for another host name"},
        {Url("EXPIRED", "/files.php"), "", "error 12037\\b.*has expired or is not valid yet"},
        {Url("UNKNOWN_AUTHORITY", "/files.php"), "",
         "error 120(45\\b.*authority that Windows does not trust|57\\b.*revoked)"},
        {Url("PLAIN", "/to-https"), manifest, "HTTP 301 to " + files + ", followed"},
        {Url("GOOD", "/relative"), manifest, "HTTP 302 to " + files + ", followed"},
        {Url("GOOD", "/to-http"), "",
         "HTTP 302 to " + Url("PLAIN", "/files.php") + ", not followed: it would leave HTTPS"},
        {Url("GOOD", "/loop"), "", "not followed: more than 5 redirects"},
    };
    for (const auto& [url, expected, logged] : cases) {
        std::string lines;
        {
            CapturedLog log;
            std::string text = "stale";
            EXPECT_EQ(HttpFetch(UpdateMode::kPlain).Fetch(url, kPortalTextLimit, text),
                      !expected.empty())
                << url;
            EXPECT_EQ(text, expected) << url;
            lines = log.Starting("");
        }
        EXPECT_TRUE(std::regex_search(lines, std::regex("GET " + url + ": .*" + logged))) << lines;
    }
}

} // namespace
