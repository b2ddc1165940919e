#include "UpdateFakes.h"

#include "update/FtpDownload.h"
#include "update/RunLog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::string Bytes(size_t n, char seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(seed + i * 31 + i / 7);
    return s;
}

ManifestItem Listed(const std::string& name, const std::string& bytes) {
    return ManifestItem{false, name, Crc32(bytes.data(), bytes.size()),
                        static_cast<uint32_t>(bytes.size())};
}

// The run's log lines, for as long as the case lives; whether a retry was
// announced can be asked from another thread.
struct CapturedLog : ILogFile {
    CapturedLog(std::string& text, std::atomic<bool>& retrying) : text(text), retrying(retrying) {}
    bool Append(const std::string& line) override {
        text += line + "\n";
        retrying = retrying || line.find("trying again") != std::string::npos;
        return true;
    }
    std::string& text;
    std::atomic<bool>& retrying;
};

struct DownloadCase {
    FakeFolder folder;
    FakeFtp ftp;
    RecordingListener listener;
    UpdateWorker worker;
    FtpDownload job{&worker, ftp, folder};
    std::string log;
    std::atomic<bool> retrying{false};

    DownloadCase() {
        worker.m_listener = &listener;
        job.m_retryPause = std::chrono::milliseconds(0);
        TheLog().Open(std::make_unique<CapturedLog>(log, retrying));
    }
    ~DownloadCase() { TheLog().Open(nullptr); }
};

// One big file "a" between the way its transfer goes wrong and a small file
// "z" listed after it, which is fetched whatever became of "a".
TEST(FtpDownloadTest, BrokenTransfersResumeAndFailuresDoNotStopTheRest) {
    const std::string a = Bytes(100000, 3);
    const std::string z = Bytes(500, 4);
    const struct {
        const char* what;
        void (*arrange)(DownloadCase&, const std::string& a);
        bool arrives;     // "a" is put in place byte for byte
        size_t sent;      // bytes the server sent for both files together
        const char* logs; // what the log says about "a"
    } cases[] = {
        {"cut twice, as if at the end",
         [](DownloadCase& d, const std::string&) {
             d.ftp.cuts["a"] = {30000, 2};
         },
         true, 100500, "trying again from byte 60000"},
        {"cut three times by errors that break the connection",
         [](DownloadCase& d, const std::string&) {
             d.ftp.cuts["a"] = {10000, 3, true};
         },
         true, 100500, "(after 3 retries)"},
        {"cut more often than it is retried: the piece stays for the next start",
         [](DownloadCase& d, const std::string&) {
             d.ftp.cuts["a"] = {10000, 4};
         },
         false, 40500, "given up after 4 tries"},
        {"a piece from an earlier start",
         [](DownloadCase& d, const std::string& a) {
             d.folder.files["a.part"] = a.substr(0, 40000);
         },
         true, 60500, "going on from byte 40000"},
        {"a piece, and a server that will not restart",
         [](DownloadCase& d, const std::string& a) {
             d.folder.files["a.part"] = a.substr(0, 40000), d.ftp.refusesRestart = true;
         },
         true, 100500, "will not go on from byte 40000"},
        {"a piece that is not the file's start is fetched once more from byte 0",
         [](DownloadCase& d, const std::string&) { d.folder.files["a.part"] = Bytes(40000, 9); },
         true, 160500, "CRC-32 differs"},
        {"a piece longer than the file is dropped",
         [](DownloadCase& d, const std::string& a) { d.folder.files["a.part"] = a + "x"; }, true,
         100500, "fetch a: 100000 bytes, CRC"},
        {"other bytes of the listed size",
         [](DownloadCase& d, const std::string&) { d.ftp.files["a"][77] ^= 1; }, false, 100500,
         "CRC-32 differs (listed "},
        {"missing on the server",
         [](DownloadCase& d, const std::string&) { d.ftp.files.erase("a"); }, false, 500,
         "the server did not open a"},
        {"more bytes than listed: cut off one byte beyond",
         [](DownloadCase& d, const std::string&) { d.ftp.files["a"] += std::string(1 << 20, 'x'); },
         false, 100501, "sent more than the listed 100000 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DownloadCase d;
        d.ftp.readSize = 64 * 1024;
        d.ftp.files = {{"a", a}, {"z", z}};
        d.folder.files["a"] = "the old copy";
        d.job.m_files = {Listed("a", a), Listed("z", z)};
        c.arrange(d, a);
        EXPECT_EQ(d.job.Run(), c.arrives ? DownloadResult::kCompleted : DownloadResult::kFailed);
        EXPECT_EQ(d.folder.files.at("a"), c.arrives ? a : "the old copy");
        EXPECT_EQ(d.folder.files.at("z"), z);
        EXPECT_EQ(d.ftp.sent, c.sent);
        EXPECT_NE(d.log.find(c.logs), std::string::npos) << d.log;
        const bool pieceKept = d.folder.files.count("a.part") != 0;
        EXPECT_EQ(pieceKept, !c.arrives && d.ftp.files.count("a") && d.ftp.sent < a.size());
        if (pieceKept) {
            EXPECT_EQ(d.folder.files["a.part"], a.substr(0, d.folder.files["a.part"].size()));
        }
    }
}

// A stop request ends a retry's pause at once; the piece stays for the next start.
TEST(FtpDownloadTest, AStopEndsTheRetryPause) {
    DownloadCase d;
    const std::string a = Bytes(5000, 3);
    d.ftp.files = {{"a", a}};
    d.ftp.cuts["a"] = {2048, 1};
    d.job.m_files = {Listed("a", a)};
    d.job.m_retryPause = std::chrono::hours(1);
    std::thread stopper([&] {
        while (!d.retrying)
            std::this_thread::yield();
        d.worker.RequestStop();
    });
    EXPECT_EQ(d.job.Run(), DownloadResult::kStopped);
    stopper.join();
    EXPECT_EQ(d.folder.files.at("a.part"), a.substr(0, 2048));
}

} // namespace
