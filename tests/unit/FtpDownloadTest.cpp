#include "UpdateFakes.h"

#include "log/RunLog.h"
#include "update/FtpDownload.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Whether a retry was announced can be asked from another thread.
struct WatchedLog : ILogFile {
    WatchedLog(std::string& text, std::atomic<bool>& retrying) : text(text), retrying(retrying) {}
    bool Append(const std::string& line) override {
        text += line + "\n";
        retrying = retrying || line.find("trying again") != std::string::npos;
        return true;
    }
    size_t LineOverhead() const override { return 1; }
    std::string& text;
    std::atomic<bool>& retrying;
};

struct DownloadCase {
    FakeFolder folder;
    FakeFtp ftp;
    RecordingListener listener;
    UpdateWorker worker;
    FtpDownload job{worker, listener, ftp, folder};
    std::string log;
    std::atomic<bool> retrying{false};

    DownloadCase() {
        job.m_retryPause = std::chrono::milliseconds(0);
        TheLog().Open(std::make_unique<WatchedLog>(log, retrying));
    }
    ~DownloadCase() { TheLog().Open(nullptr); }
};

const std::string kA = Bytes(100000, 3);
const std::string kZ = Bytes(500, 4);

TEST(FtpDownloadTest, BrokenTransfersResumeAndFailuresDoNotStopTheRest) {
    using D = DownloadCase&;
    const struct {
        const char* what;
        void (*arrange)(DownloadCase&);
        bool arrives;     // "a" is put in place byte for byte
        size_t sent;      // bytes the server sent for both files together
        const char* logs; // what the log says about "a"
    } cases[] = {
        // clang-format off
        {"cut twice, as if at the end", [](D d) { d.ftp.cuts["a"] = {30000, 2}; },
         true, 100500, "trying again from byte 60000"},
        {"cut three times by errors that break the connection",
         [](D d) { d.ftp.cuts["a"] = {10000, 3, true}; }, true, 100500, "(after 3 retries)"},
        {"cut more often than it is retried: the piece stays for the next start",
         [](D d) { d.ftp.cuts["a"] = {10000, 4}; }, false, 40500, "given up after 4 tries"},
        {"a piece from an earlier start", [](D d) { d.folder.files["a.part"] = kA.substr(0, 40000); },
         true, 60500, "going on from byte 40000"},
        {"a piece, and a server that will not restart",
         [](D d) { d.folder.files["a.part"] = kA.substr(0, 40000), d.ftp.refusesRestart = true; },
         true, 100500, "will not go on from byte 40000"},
        {"a piece that is not the file's start is fetched once more from byte 0",
         [](D d) { d.folder.files["a.part"] = Bytes(40000, 9); }, true, 160500, "CRC-32 differs"},
        {"a piece longer than the file is dropped", [](D d) { d.folder.files["a.part"] = kA + "x"; },
         true, 100500, "fetch a: 100000 bytes, CRC"},
        {"other bytes of the listed size", [](D d) { d.ftp.files["a"][77] ^= 1; },
         false, 100500, "CRC-32 differs (listed "},
        {"missing on the server", [](D d) { d.ftp.files.erase("a"); },
         false, 500, "the server did not open a"},
        {"more bytes than listed: cut off one byte beyond",
         [](D d) { d.ftp.files["a"] += std::string(1 << 20, 'x'); },
         false, 100501, "sent more than the listed 100000 bytes"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DownloadCase d;
        d.ftp.readSize = 64 * 1024;
        d.ftp.files = {{"a", kA}, {"z", kZ}};
        d.folder.files["a"] = "the old copy";
        c.arrange(d);
        EXPECT_EQ(d.job.Run({Listed("a", kA), Listed("z", kZ)}).result,
                  c.arrives ? DownloadResult::kCompleted : DownloadResult::kFailed);
        EXPECT_EQ(d.folder.files.at("a"), c.arrives ? kA : "the old copy");
        EXPECT_EQ(d.folder.files.at("z"), kZ);
        EXPECT_EQ(d.ftp.sent, c.sent);
        EXPECT_NE(d.log.find(c.logs), std::string::npos) << d.log;
        const bool pieceKept = d.folder.files.count("a.part") != 0;
        EXPECT_EQ(pieceKept, !c.arrives && d.ftp.files.count("a") && d.ftp.sent < kA.size());
        const std::string& piece = d.folder.files["a.part"];
        EXPECT_EQ(piece, kA.substr(0, piece.size()));
    }
}

TEST(FtpDownloadTest, AStopEndsTheRetryPause) {
    DownloadCase d;
    d.ftp.files = {{"a", kA}};
    d.ftp.cuts["a"] = {2048, 1};
    d.job.m_retryPause = std::chrono::hours(1);
    std::thread stopper([&] {
        while (!d.retrying)
            std::this_thread::yield();
        d.worker.RequestStop();
    });
    EXPECT_EQ(d.job.Run({Listed("a", kA)}).result, DownloadResult::kStopped);
    stopper.join();
    EXPECT_EQ(d.folder.files.at("a.part"), kA.substr(0, 2048));
}

} // namespace
