// Against servers started by update_servers.py (run plainly, the test skips
// itself): the failures that the end-to-end scenarios do not reach.
#include "TestFolder.h"
#include "tests/unit/UpdateFakes.h"

#include "net/Win32Ftp.h"
#include "update/FtpDownload.h"
#include "update/Win32GameFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A silent server fails a call within this; the product waits kStallTimeout.
constexpr DWORD kShortStall = 1500;

// The link breaks the data connection after 100000 bytes on the first two
// transfers. The silent servers stay silent far longer than the time-outs.
TEST(Win32FtpTest, BrokenTransfersOverWinInet) {
    if (TestSetting("VEMOR_TEST_TRICKLE").empty())
        GTEST_SKIP() << "run by update_servers.py";
    std::string bytes;
    for (int i = 0; i < 1200 * 256; ++i)
        bytes += static_cast<char>(i & 0xff);
    const struct {
        const char* port;
        size_t sent; // 0: the download fails
    } cases[] = {{"VEMOR_TEST_CUT_VSFTPD_PORT", bytes.size()},
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
        Win32FtpConnector connector(
            "127.0.0.1", static_cast<unsigned short>(std::atoi(TestSetting(c.port).c_str())),
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
            EXPECT_EQ(ReadFileBytes(TestSetting("VEMOR_TEST_COUNTS") + "\\" + TestSetting(c.port) +
                                    ".sent"),
                      std::to_string(c.sent));
        }
    }
}

} // namespace
