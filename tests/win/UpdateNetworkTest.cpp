// The HTTP fetch and the FTP download against real servers on loopback; run
// by update_servers.py, which starts them and names their ports.
#include "TestFolder.h"

#include "update/FtpDownload.h"
#include "update/HttpFetch.h"
#include "update/UpdateWorker.h"
#include "update/Win32GameFolder.h"
#include "update/WinFtp.h"

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
    void OnUpdateFinished() override {}
    void OnSelfUpdateStarted() override {}
};

TEST(HttpFetchTest, ReadsTheWholeTextUpToTheLimit) {
    NEED_SERVERS();
    HttpFetch fetch;
    std::string text;
    // Sent in three pieces with pauses: the text is complete, cut at 10000.
    ASSERT_TRUE(fetch.Fetch("http://" + Setting("VEMOR_TEST_TRICKLE") + "/x", text));
    std::string expected;
    for (int i = 0; expected.size() < 10000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%05d|trickled line\r\n", i);
        expected += line;
    }
    EXPECT_EQ(text, expected.substr(0, 10000));

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
    WinFtpConnector connector;
    FtpDownload job;

    explicit Download(const std::string& port)
        : connector("127.0.0.1", static_cast<unsigned short>(std::atoi(port.c_str()))),
          job(&worker, connector, files) {
        worker.m_listener = &recorder;
    }
};

std::string Expected(char seed, size_t size) {
    return std::string(size, seed);
}

TEST(FtpDownloadTest, SubFoldersAndAZeroByteFile) {
    NEED_SERVERS();
    Download d(Setting("VEMOR_TEST_FTP_PORT"));
    ASSERT_TRUE(::CreateDirectoryA("sub", nullptr));
    ASSERT_TRUE(::CreateDirectoryA("sub\\dir", nullptr));
    WriteFileBytes("empty.dat", "old bytes");
    d.job.m_files = {"sub\\dir\\a.bin", "empty.dat"};
    EXPECT_EQ(d.job.Run(), DownloadResult::kCompleted);
    const std::string a = ReadFileBytes("sub\\dir\\a.bin");
    ASSERT_EQ(a.size(), 5000u);
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(static_cast<unsigned char>(a[i]), (i * 7 + i / 251) & 0xFF) << i;
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
    d.job.m_files = {"f1.bin", "nothere.bin", "f2.bin"};
    EXPECT_EQ(d.job.Run(), DownloadResult::kFailed);
    EXPECT_EQ(ReadFileBytes("f1.bin"), Expected(1, 300000));
    EXPECT_EQ(ReadFileBytes("f2.bin"), "mine");
}

// A folder new to the community's file set is made in the game folder.
TEST(FtpDownloadTest, MissingLocalFoldersAreMade) {
    NEED_SERVERS();
    Download d(Setting("VEMOR_TEST_FTP_PORT"));
    d.job.m_files = {"sub\\dir\\a.bin"};
    EXPECT_EQ(d.job.Run(), DownloadResult::kCompleted);
    EXPECT_EQ(ReadFileBytes("sub\\dir\\a.bin").size(), 5000u);
    EXPECT_FALSE(FileExists("sub\\dir\\a.bin.part"));
}

// The server ends the transfer early: the piece never replaces the old copy.
TEST(FtpDownloadTest, AConnectionLostInTheMiddleOfAFile) {
    NEED_SERVERS();
    Download d(Setting("VEMOR_TEST_DROP_FTP_PORT"));
    WriteFileBytes("drop.bin", "the old good copy");
    d.job.m_files = {"drop.bin", "f1.bin"};
    EXPECT_EQ(d.job.Run(), DownloadResult::kFailed);
    EXPECT_EQ(ReadFileBytes("drop.bin"), "the old good copy");
    EXPECT_FALSE(FileExists("drop.bin.part"));
    EXPECT_FALSE(FileExists("f1.bin"));
}

TEST(FtpDownloadTest, AServerThatIsDown) {
    NEED_SERVERS();
    Download d(Setting("VEMOR_TEST_DOWN_PORT"));
    d.job.m_files = {"f1.bin"};
    EXPECT_EQ(d.job.Run(), DownloadResult::kFailed);
    EXPECT_FALSE(FileExists("f1.bin"));
    EXPECT_TRUE(d.recorder.statuses.empty());
}

} // namespace
