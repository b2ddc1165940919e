// The HTTP fetch and the FTP download against real servers on loopback; run
// by update_servers.py, which starts them and names their ports. A working
// portal and FTP server are driven by the end-to-end update scenarios; here
// the ways a server fails that they do not reach.
#include "TestFolder.h"
#include "tests/unit/UpdateFakes.h"

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
    HttpFetch fetch(kShortStall);
    std::string text;
    // Sent in three pieces with pauses: the text is complete, cut one byte
    // beyond the limit, which tells the reader that it was cut.
    ASSERT_TRUE(fetch.Fetch("http://" + Setting("VEMOR_TEST_TRICKLE") + "/x", text));
    std::string expected;
    for (int i = 0; expected.size() <= 10000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%05d|trickled line\r\n", i);
        expected += line;
    }
    EXPECT_EQ(text, expected.substr(0, 10001));
}

// A missing page, a server that is down and one that accepts the connection
// and then says nothing all give an empty text; the silent one within the
// stall time-out instead of WinINet's hour.
TEST(HttpFetchTest, FailuresGiveAnEmptyText) {
    NEED_SERVERS();
    for (const std::string& url :
         {"http://" + Setting("VEMOR_TEST_TRICKLE") + "/missing",
          "http://127.0.0.1:" + Setting("VEMOR_TEST_DOWN_PORT") + "/files.php",
          "http://127.0.0.1:" + Setting("VEMOR_TEST_SILENT_PORT") + "/files.php"}) {
        HttpFetch fetch(kShortStall);
        std::string text = "stale";
        EXPECT_FALSE(fetch.Fetch(url, text)) << url;
        EXPECT_EQ(text, "") << url;
    }
}

struct FtpCase {
    TestFolder folder;
    Win32GameFolder files;
    UpdateWorker worker;
    RecordingListener listener;
    Win32FtpConnector connector;
    FtpDownload job{&worker, connector, files};

    explicit FtpCase(const char* port)
        : connector("127.0.0.1", static_cast<unsigned short>(std::atoi(Setting(port).c_str())),
                    kShortStall) {
        worker.m_listener = &listener;
        job.m_retryPause = std::chrono::milliseconds(10);
        WriteFileBytes("f1.bin", "the old good copy");
    }
};

// The served file, 307200 bytes.
std::string ServedFile() {
    std::string bytes;
    for (int i = 0; i < 1200 * 256; ++i)
        bytes += static_cast<char>(i & 0xff);
    return bytes;
}

ManifestItem Listed(const std::string& bytes) {
    return ManifestItem{false, "f1.bin", Crc32(bytes.data(), bytes.size()),
                        static_cast<uint32_t>(bytes.size())};
}

// Stock pyftpdlib and vsftpd behind a link that breaks the data connection
// after 100000 bytes on the first two transfers: the file arrives byte for
// byte in one run, and, restarted where it broke, the server sends it about
// once. A server that refuses to restart sends it from the start each time.
TEST(FtpDownloadTest, BrokenTransfersResumeOverWinInet) {
    NEED_SERVERS();
    const std::string bytes = ServedFile();
    for (const char* port :
         {"VEMOR_TEST_CUT_FTP_PORT", "VEMOR_TEST_CUT_VSFTPD_PORT", "VEMOR_TEST_NO_REST_FTP_PORT"}) {
        SCOPED_TRACE(port);
        FtpCase c(port);
        c.job.m_files = {Listed(bytes)};
        EXPECT_EQ(c.job.Run(), DownloadResult::kCompleted);
        EXPECT_EQ(ReadFileBytes("f1.bin"), bytes);
        const std::string sent =
            ReadFileBytes(Setting("VEMOR_TEST_COUNTS") + "\\" + Setting(port) + ".sent");
        const bool restarts = std::string(port) != "VEMOR_TEST_NO_REST_FTP_PORT";
        EXPECT_EQ(std::stoul(sent), restarts ? bytes.size() : bytes.size() + 200000);
    }
}

// The FTP server is down, never greets, or its transfers go silent in the
// middle: the download fails, the player's copy stays (a piece of the file
// may stay for the next start), and a silent server fails within the stall
// time-out. The servers stay silent for far longer than the test runs.
TEST(FtpDownloadTest, AServerThatFailsLeavesThePlayersCopy) {
    NEED_SERVERS();
    const std::string bytes = ServedFile();
    for (const char* port :
         {"VEMOR_TEST_DOWN_PORT", "VEMOR_TEST_SILENT_PORT", "VEMOR_TEST_STALL_FTP_PORT"}) {
        SCOPED_TRACE(port);
        FtpCase c(port);
        c.job.m_files = {Listed(bytes)};
        EXPECT_EQ(c.job.Run(), DownloadResult::kFailed);
        EXPECT_EQ(ReadFileBytes("f1.bin"), "the old good copy");
        const std::string piece = FileExists("f1.bin.part") ? ReadFileBytes("f1.bin.part") : "";
        EXPECT_EQ(piece, bytes.substr(0, piece.size()));
    }
}

} // namespace
