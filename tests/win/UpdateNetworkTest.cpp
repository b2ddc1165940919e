// The HTTP fetch and the FTP download against real servers on loopback; run
// by update_servers.py, which starts them and names their ports.
#include "TestFolder.h"

#include "update/Crc32.h"
#include "update/FtpDownload.h"
#include "update/HttpFetch.h"
#include "update/UpdateWorker.h"
#include "update/Win32GameFolder.h"
#include "update/Win32Ftp.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A silent server fails a call within this; the product waits kStallTimeout.
constexpr DWORD kShortStall = 1500;

#define NEED_SERVERS()                                                                             \
    if (Setting("VEMOR_TEST_PORTAL").empty())                                                      \
    GTEST_SKIP() << "run by update_servers.py"

class Recorder : public IUpdateListener {
public:
    std::vector<std::string> statuses;
    std::vector<float> progress;
    UpdateWorker* stopAt3 = nullptr;
    void OnProgress(float percent) override {
        progress.push_back(percent);
        if (stopAt3 && !statuses.empty() && statuses.back() == "Downloading f3.bin...")
            stopAt3->RequestStop();
    }
    void OnStatusText(const char* text) override { statuses.push_back(text); }
    void OnUpdateFinished(UpdateEnd) override {}
};

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

    ASSERT_TRUE(
        fetch.Fetch("http://" + Setting("VEMOR_TEST_PORTAL") + "/INFO/serverlist.inf", text));
    EXPECT_EQ(text.substr(0, 7), "stamp\r\n");
    EXPECT_EQ(text.size(), 4368u); // the whole list, byte for byte in size
}

TEST(HttpFetchTest, FailuresGiveAnEmptyText) {
    NEED_SERVERS();
    HttpFetch fetch;
    std::string text = "stale";
    EXPECT_FALSE(fetch.Fetch("http://" + Setting("VEMOR_TEST_PORTAL") + "/missing", text));
    EXPECT_EQ(text, "");
    text = "stale";
    EXPECT_FALSE(
        fetch.Fetch("http://127.0.0.1:" + Setting("VEMOR_TEST_DOWN_PORT") + "/files.php", text));
    EXPECT_EQ(text, "");
}

struct Download {
    TestFolder folder;
    Win32GameFolder files;
    UpdateWorker worker;
    Recorder recorder;
    Win32FtpConnector connector;
    FtpDownload job;

    explicit Download(const std::string& port)
        : connector("127.0.0.1", static_cast<unsigned short>(std::atoi(port.c_str())), kShortStall),
          job(&worker, connector, files) {
        worker.m_listener = &recorder;
    }
};

std::string Expected(char seed, size_t size) {
    return std::string(size, seed);
}

// The manifest's entry for a file of the test servers.
ManifestItem Item(const std::string& name, const std::string& bytes) {
    ManifestItem item;
    item.name = name;
    item.crc = Crc32(bytes.data(), bytes.size());
    item.size = static_cast<uint32_t>(bytes.size());
    return item;
}

std::string SubDirBytes() {
    std::string bytes(5000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

std::string DropBytes() {
    std::string bytes;
    for (int round = 0; round < 1000; ++round)
        for (int i = 0; i < 256; ++i)
            bytes += static_cast<char>(i);
    return bytes;
}

TEST(FtpDownloadTest, SubFoldersAndAZeroByteFile) {
    NEED_SERVERS();
    // The sub-folder is sent as "sub/dir/a.bin", which a stock server takes,
    // and made in the game folder, new to the community's file set.
    Download d(Setting("VEMOR_TEST_FTP_PORT"));
    WriteFileBytes("empty.dat", "old bytes");
    d.job.m_files = {Item("sub\\dir\\a.bin", SubDirBytes()), Item("empty.dat", "")};
    EXPECT_EQ(d.job.Run(), DownloadResult::kCompleted);
    EXPECT_TRUE(ReadFileBytes("sub\\dir\\a.bin") == SubDirBytes());
    EXPECT_EQ(ReadFileBytes("empty.dat"), "");
    EXPECT_FALSE(FileExists("sub\\dir\\a.bin.part"));
    EXPECT_EQ(d.recorder.statuses, (std::vector<std::string>{"Downloading sub\\dir\\a.bin...",
                                                             "Downloading empty.dat..."}));
    ASSERT_FALSE(d.recorder.progress.empty());
    EXPECT_FLOAT_EQ(d.recorder.progress.back(), 100.0f);
}

TEST(FtpDownloadTest, AFileTheServerLacksEndsTheDownload) {
    NEED_SERVERS();
    Download d(Setting("VEMOR_TEST_FTP_PORT"));
    WriteFileBytes("f2.bin", "mine");
    d.job.m_files = {Item("f1.bin", Expected(1, 300000)), Item("nothere.bin", "x"),
                     Item("f2.bin", Expected(2, 300000))};
    EXPECT_EQ(d.job.Run(), DownloadResult::kFailed);
    EXPECT_EQ(ReadFileBytes("f1.bin"), Expected(1, 300000));
    EXPECT_EQ(ReadFileBytes("f2.bin"), "mine");
}

// The server ends the transfer early: the piece never replaces the old copy.
TEST(FtpDownloadTest, AConnectionLostInTheMiddleOfAFile) {
    NEED_SERVERS();
    Download d(Setting("VEMOR_TEST_DROP_FTP_PORT"));
    WriteFileBytes("drop.bin", "the old good copy");
    d.job.m_files = {Item("drop.bin", DropBytes()), Item("f1.bin", Expected(1, 300000))};
    EXPECT_EQ(d.job.Run(), DownloadResult::kFailed);
    EXPECT_EQ(ReadFileBytes("drop.bin"), "the old good copy");
    EXPECT_FALSE(FileExists("drop.bin.part"));
    EXPECT_FALSE(FileExists("f1.bin"));
}

TEST(FtpDownloadTest, AServerThatIsDown) {
    NEED_SERVERS();
    Download d(Setting("VEMOR_TEST_DOWN_PORT"));
    d.job.m_files = {Item("f1.bin", Expected(1, 300000))};
    EXPECT_EQ(d.job.Run(), DownloadResult::kFailed);
    EXPECT_FALSE(FileExists("f1.bin"));
    EXPECT_TRUE(d.recorder.statuses.empty());
}

// A server that accepts the connection and then says nothing, or a transfer
// that goes silent in the middle of a file, fails the call waiting on it
// within the stall time-out instead of WinINet's hour. The servers stay
// silent for far longer than the test runs.
TEST(StallTest, ASilentServerFailsWithinTheStallTimeOut) {
    NEED_SERVERS();
    struct Case {
        const char* what;
        bool http;
        const char* port;
    } cases[] = {
        {"portal silent after the request", true, "VEMOR_TEST_SILENT_PORT"},
        {"FTP control connection silent", false, "VEMOR_TEST_SILENT_PORT"},
        {"FTP data silent in the middle of a file", false, "VEMOR_TEST_STALL_FTP_PORT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DWORD started = ::GetTickCount();
        if (c.http) {
            HttpFetch fetch(kShortStall);
            std::string text = "stale";
            EXPECT_FALSE(fetch.Fetch("http://127.0.0.1:" + Setting(c.port) + "/files.php", text));
            EXPECT_EQ(text, "");
        } else {
            Download d(Setting(c.port));
            WriteFileBytes("f1.bin", "the old good copy");
            d.job.m_files = {Item("f1.bin", Expected(1, 300000))};
            EXPECT_EQ(d.job.Run(), DownloadResult::kFailed);
            EXPECT_EQ(ReadFileBytes("f1.bin"), "the old good copy");
            EXPECT_FALSE(FileExists("f1.bin.part"));
        }
        std::printf("[ stall    ] %s: failed after %lu ms\n", c.what,
                    static_cast<unsigned long>(::GetTickCount() - started));
    }
}

} // namespace
