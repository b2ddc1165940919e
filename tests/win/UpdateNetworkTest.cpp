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

// The FTP server is down, never greets, ends the transfer in the middle of
// the file, or goes silent there: the download fails, the player's copy
// stays, no piece is left beside it, and a silent server fails within the
// stall time-out. The servers stay silent for far longer than the test runs.
TEST(FtpDownloadTest, AServerThatFailsLeavesThePlayersCopy) {
    NEED_SERVERS();
    const std::string bytes(300000, '\1');
    const ManifestItem item{false, "f1.bin", Crc32(bytes.data(), bytes.size()),
                            static_cast<uint32_t>(bytes.size())};
    for (const char* port : {"VEMOR_TEST_DOWN_PORT", "VEMOR_TEST_SILENT_PORT",
                             "VEMOR_TEST_DROP_FTP_PORT", "VEMOR_TEST_STALL_FTP_PORT"}) {
        SCOPED_TRACE(port);
        TestFolder folder;
        Win32GameFolder files;
        UpdateWorker worker;
        RecordingListener listener;
        worker.m_listener = &listener;
        Win32FtpConnector connector(
            "127.0.0.1", static_cast<unsigned short>(std::atoi(Setting(port).c_str())),
            kShortStall);
        FtpDownload job(&worker, connector, files);
        WriteFileBytes("f1.bin", "the old good copy");
        job.m_files = {item};
        EXPECT_EQ(job.Run(), DownloadResult::kFailed);
        EXPECT_EQ(ReadFileBytes("f1.bin"), "the old good copy");
        EXPECT_FALSE(FileExists("f1.bin.part"));
    }
}

} // namespace
