// The HTTP fetch and the FTP download against real servers on loopback; run
// by update_servers.py, which starts them and names their ports. A working
// portal and FTP server are driven by the end-to-end update scenarios; here
// the ways a server fails that they do not reach.
#include "TestFolder.h"
#include "tests/unit/UpdateFakes.h"

#include "BuildConfig.h"
#include "update/FtpDownload.h"
#include "update/HttpFetch.h"
#include "update/Win32GameFolder.h"
#include "update/Win32Ftp.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A silent server fails a call within this; the product waits kStallTimeout.
constexpr DWORD kShortStall = 1500;

#define NEED_SERVERS()                                                                             \
    if (Setting("VEMOR_TEST_TRICKLE").empty())                                                     \
    GTEST_SKIP() << "run by update_servers.py"
TEST(HttpFetchTest, ReadsTheWholeTextUpToTheLimit) {
    NEED_SERVERS();
    HttpFetch fetch(UpdateMode::kPlain, kShortStall);
    std::string text;
    // Sent in three pieces with pauses: the text is complete, cut one byte
    // beyond the limit, which tells the reader that it was cut.
    ASSERT_TRUE(
        fetch.Fetch("http://" + Setting("VEMOR_TEST_TRICKLE") + "/x", kPortalTextLimit, text));
    std::string expected;
    for (int i = 0; expected.size() <= 10000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%05d|trickled line\r\n", i);
        expected += line;
    }
    EXPECT_EQ(text, expected.substr(0, 10001));
}

// A missing page, a server that is down, one that accepts the connection
// and then says nothing and one that trickles a byte now and then all give
// an empty text; the silent one within the stall time-out instead of
// WinINet's hour, the trickle within the deadline (here a short one).
TEST(HttpFetchTest, FailuresGiveAnEmptyText) {
    NEED_SERVERS();
    for (const std::string& url :
         {"http://" + Setting("VEMOR_TEST_TRICKLE") + "/missing",
          "http://127.0.0.1:" + Setting("VEMOR_TEST_DOWN_PORT") + "/files.php",
          "http://127.0.0.1:" + Setting("VEMOR_TEST_SILENT_PORT") + "/files.php",
          "http://" + Setting("VEMOR_TEST_TRICKLE") + "/slow"}) {
        HttpFetch fetch(UpdateMode::kPlain, kShortStall, 3000);
        std::string text = "stale";
        EXPECT_FALSE(fetch.Fetch(url, kPortalTextLimit, text)) << url;
        EXPECT_EQ(text, "") << url;
    }
}

// The portal learns which launcher asks (the kit keeps it in its sign-in
// log), and the log keeps the first line of an error page, where the kit
// says why it refused.
TEST(HttpFetchTest, TheServerHearsTheLauncherAndTheLogItsReason) {
    NEED_SERVERS();
    CapturedLog log;
    const std::string server = "http://" + Setting("VEMOR_TEST_TRICKLE");
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

// Stock pyftpdlib and vsftpd behind a link that breaks the data connection
// after 100000 bytes on the first two transfers: the file arrives byte for
// byte in one run and, restarted where it broke, is sent once (from the start
// each time by a server that refuses to restart). A server that is down,
// never greets or goes silent in the middle of every transfer fails the
// download within the stall time-outs, leaving the player's copy and at most
// a piece of the file's start. The silent servers stay silent far longer.
TEST(FtpDownloadTest, BrokenTransfersOverWinInet) {
    NEED_SERVERS();
    std::string bytes;
    for (int i = 0; i < 1200 * 256; ++i)
        bytes += static_cast<char>(i & 0xff);
    const struct {
        const char* port;
        size_t sent; // 0: the download fails
    } cases[] = {{"VEMOR_TEST_CUT_FTP_PORT", bytes.size()},
                 {"VEMOR_TEST_CUT_VSFTPD_PORT", bytes.size()},
                 {"VEMOR_TEST_NO_REST_FTP_PORT", bytes.size() + 200000},
                 {"VEMOR_TEST_DOWN_PORT", 0},
                 {"VEMOR_TEST_SILENT_PORT", 0},
                 {"VEMOR_TEST_STALL_FTP_PORT", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        TestFolder folder;
        Win32GameFolder files;
        UpdateWorker worker;
        RecordingListener listener;
        Win32FtpConnector connector("127.0.0.1",
                                    static_cast<unsigned short>(std::atoi(Setting(c.port).c_str())),
                                    kShortStall);
        FtpDownload job(worker, listener, connector, files);
        job.m_retryPause = std::chrono::milliseconds(10);
        WriteFileBytes("f1.bin", "the old good copy");
        EXPECT_EQ(job.Run({Listed("f1.bin", bytes)}).result,
                  c.sent ? DownloadResult::kCompleted : DownloadResult::kFailed);
        EXPECT_EQ(ReadFileBytes("f1.bin"), c.sent ? bytes : "the old good copy");
        const std::string piece = FileExists("f1.bin.part") ? ReadFileBytes("f1.bin.part") : "";
        EXPECT_EQ(piece, bytes.substr(0, piece.size()));
        if (c.sent) {
            EXPECT_EQ(
                ReadFileBytes(Setting("VEMOR_TEST_COUNTS") + "\\" + Setting(c.port) + ".sent"),
                std::to_string(c.sent));
        }
    }
}

} // namespace
