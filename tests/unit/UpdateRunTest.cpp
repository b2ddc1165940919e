#include "UpdateFakes.h"

#include "update/FtpDownload.h"
#include "update/ListenerGate.h"
#include "update/UpdateWorker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

const char kUrl[] = "http://portal/files.php";

std::string Bytes(size_t n, char seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(seed + i * 31 + i / 7);
    return s;
}

std::string Entry(const std::string& name, const std::string& bytes) {
    return name + "|" + std::to_string(Crc32(bytes.data(), bytes.size())) + "|" +
           std::to_string(bytes.size()) + "\r\n";
}

struct UpdateCase {
    FakeFolder folder;
    FakeFtp ftp;
    FakePortal portal;
    CountingSelfUpdate selfUpdate;
    RecordingListener listener;
    UpdateWorker worker;

    UpdateCase() { worker.m_listener = &listener; }
    // Serves the server's files as the manifest, then the extra lines.
    void ServeManifest(const std::string& extra = "") {
        std::string text = "#\r\n";
        for (const auto& [name, bytes] : ftp.files)
            text += Entry(name, bytes);
        portal.texts[kUrl] = text + extra;
    }
    void Go() {
        UpdateServices services{portal, ftp, folder, selfUpdate, kUrl};
        RunUpdate(worker, services);
    }
    bool Said(const std::string& call) const {
        return std::count(listener.calls.begin(), listener.calls.end(), call) > 0;
    }
    bool Failed() const { return Said("status Update failed"); }
};

TEST(UpdateRunTest, GameFolderEndsInTheManifestState) {
    UpdateCase r;
    r.ftp.files = {{"base\\new.pk3", Bytes(5000, 1)},
                   {"changed.cfg", Bytes(300, 2)},
                   {"current.txt", Bytes(100, 3)},
                   {"empty.dat", ""}};
    r.folder.files = {{"changed.cfg", Bytes(300, 9)}, // same size, other bytes
                      {"current.txt", Bytes(100, 3)},
                      {"stale.pk3", "old"},
                      {"keep.txt", "mine"}};
    r.ServeManifest("#DELETE\r\nstale.pk3\r\n\\Windows\\win.ini\r\n");
    r.Go();

    std::map<std::string, std::string> expected = r.ftp.files;
    expected["keep.txt"] = "mine";
    EXPECT_EQ(r.folder.files, expected);
    // The current file was neither fetched nor rewritten.
    EXPECT_EQ(std::count(r.ftp.opened.begin(), r.ftp.opened.end(), "current.txt"), 0);
    EXPECT_TRUE(r.Said("status Downloading base\\new.pk3..."));
    EXPECT_FALSE(r.Said("status Downloading current.txt..."));
    // Written beside the target, moved into place when complete.
    EXPECT_NE(std::find(r.folder.log.begin(), r.folder.log.end(),
                        "move base\\new.pk3.part>base\\new.pk3"),
              r.folder.log.end());
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.listener.calls.front(), "progress");
    EXPECT_EQ(r.listener.calls[1], "status Checking for update...");
    EXPECT_EQ(r.listener.calls.back(), "finished");
    EXPECT_EQ(r.selfUpdate.starts, 0);
    EXPECT_FLOAT_EQ(r.listener.progress.back(), 100.0f);
}

// One report per whole percentage, never one per chunk, and never NaN.
TEST(UpdateRunTest, ProgressIsPostedOnlyWhenTheWholePercentChanges) {
    UpdateCase r;
    r.ftp.files = {{"big.pk3", Bytes(3 * 1024 * 1024 + 17, 4)}};
    r.ftp.readSize = 70000;
    r.ServeManifest();
    r.Go();
    const auto& p = r.listener.progress;
    ASSERT_GE(p.size(), 2u);
    EXPECT_LE(p.size(), 101u); // the initial 0, then at most 1..100
    for (size_t i = 1; i < p.size(); ++i)
        EXPECT_GT(static_cast<int>(p[i]), static_cast<int>(p[i - 1]));
    EXPECT_FLOAT_EQ(p.back(), 100.0f);
}

TEST(UpdateRunTest, UnknownTotalGivesASoundPercentage) {
    UpdateCase r;
    r.ftp.files = {{"a", Bytes(4000, 5)}, {"b", Bytes(10, 6)}};
    r.ftp.unlisted = {"a", "b"}; // no sizes in the listing, but both still open
    r.ServeManifest();
    r.Go();
    for (float p : r.listener.progress)
        EXPECT_TRUE(std::isfinite(p) && p >= 0.0f && p <= 100.0f) << p;
    EXPECT_EQ(r.folder.files, r.ftp.files);
    EXPECT_FLOAT_EQ(DownloadPercent(5, 0), 0.0f);
}

TEST(UpdateRunTest, FailuresAreReportedButStillFinish) {
    {
        UpdateCase r; // the portal is down
        r.Go();
        EXPECT_TRUE(r.Failed());
        EXPECT_EQ(r.listener.calls.back(), "finished");
    }
    {
        UpdateCase r; // an error page instead of the manifest
        r.portal.texts[kUrl] = "<html>500</html>\r\n";
        r.Go();
        EXPECT_TRUE(r.Failed());
    }
    {
        UpdateCase r; // nothing to do is success
        r.portal.texts[kUrl] = "#\r\n";
        r.Go();
        EXPECT_FALSE(r.Failed());
        EXPECT_EQ(r.listener.calls.back(), "finished");
    }
    {
        UpdateCase r; // the FTP server is down: the old copy stays
        r.ftp.files = {{"a", "new"}};
        r.ServeManifest();
        r.ftp.down = true;
        r.folder.files = {{"a", "old!"}};
        r.Go();
        EXPECT_TRUE(r.Failed());
        EXPECT_EQ(r.folder.files.at("a"), "old!");
    }
}

TEST(UpdateRunTest, AFileTheServerLacksEndsTheDownloadThere) {
    UpdateCase r;
    r.ftp.files = {{"1", Bytes(100, 1)}, {"3", Bytes(100, 3)}};
    r.portal.texts[kUrl] =
        "#\r\n" + Entry("1", r.ftp.files["1"]) + "2|5|5\r\n" + Entry("3", r.ftp.files["3"]);
    r.Go();
    EXPECT_EQ(r.ftp.opened, std::vector<std::string>{"1"});
    EXPECT_EQ(r.folder.files.count("1"), 1u);
    EXPECT_EQ(r.folder.files.count("3"), 0u);
    EXPECT_TRUE(r.Failed());
}

// A transfer that breaks off, whether reported as an error or looking like the
// end of the file, never replaces the player's good copy.
TEST(UpdateRunTest, AnInterruptedTransferLeavesTheOldCopyInPlace) {
    for (bool looksComplete : {true, false}) {
        UpdateCase r;
        r.ftp.files = {{"maps\\duel.pk3", Bytes(10000, 8)}, {"zafter.txt", "x"}};
        if (looksComplete)
            r.ftp.breakAfter["maps\\duel.pk3"] = 4096;
        else
            r.ftp.failAfter["maps\\duel.pk3"] = 4096;
        r.folder.files = {{"maps\\duel.pk3", "good old copy"}};
        r.ServeManifest();
        r.Go();
        EXPECT_EQ(r.folder.files.at("maps\\duel.pk3"), "good old copy");
        EXPECT_EQ(r.folder.files.count("maps\\duel.pk3.part"), 0u);
        EXPECT_TRUE(r.Failed());
        EXPECT_EQ(r.folder.files.count("zafter.txt"), 0u); // the download ended there
    }
}

TEST(UpdateRunTest, AStopDuringTheThirdOfFiveFiles) {
    UpdateCase r;
    for (char c = '1'; c <= '5'; ++c)
        r.ftp.files[std::string("f") + c] = Bytes(3000, c);
    r.folder.files = {{"f3", "previous f3"}};
    r.ftp.onRead = [&](const std::string& name) {
        if (name == "f3")
            r.worker.RequestStop();
    };
    r.ServeManifest();
    r.Go();
    EXPECT_EQ(r.folder.files.at("f1"), r.ftp.files["f1"]);
    EXPECT_EQ(r.folder.files.at("f2"), r.ftp.files["f2"]);
    EXPECT_EQ(r.folder.files.at("f3"), "previous f3");
    EXPECT_EQ(r.folder.files.size(), 3u); // nothing of f4, f5, no partial file
    EXPECT_EQ(r.ftp.opened, (std::vector<std::string>{"f1", "f2", "f3"}));
    EXPECT_FALSE(r.Failed()); // the player's stop is not a failure
    EXPECT_EQ(r.listener.calls.back(), "finished");
}

TEST(UpdateRunTest, AStopBeforeTheDownloadIsSeenAfterTheFirstChunk) {
    UpdateCase r;
    r.ftp.files = {{"a", Bytes(5000, 1)}, {"b", Bytes(10, 2)}};
    r.worker.m_stopRequested = true;
    r.ServeManifest();
    r.Go();
    EXPECT_EQ(r.ftp.opened, std::vector<std::string>{"a"});
    EXPECT_TRUE(r.folder.files.empty());
}

TEST(UpdateRunTest, TheLaunchersOwnExecutableArrivesAsVemorNew) {
    UpdateCase r;
    r.ftp.files = {{"vemor.exe", Bytes(2000, 7)}};
    r.folder.files = {{"vemor.exe", "running copy"}};
    r.ServeManifest();
    r.Go();
    EXPECT_EQ(r.folder.files.at("vemor.new"), r.ftp.files["vemor.exe"]);
    EXPECT_EQ(r.folder.files.at("vemor.exe"), "running copy");
    EXPECT_TRUE(r.Said("status Downloading vemor.exe..."));
    EXPECT_EQ(r.selfUpdate.starts, 1);
    EXPECT_EQ(r.listener.calls.back(), "self-update");
    EXPECT_FALSE(r.Said("finished"));

    UpdateCase other; // another letter case is just a file
    other.ftp.files = {{"Vemor.exe", "x"}};
    other.ServeManifest();
    other.Go();
    EXPECT_EQ(other.selfUpdate.starts, 0);
    EXPECT_EQ(other.folder.files.at("Vemor.exe"), "x");
}

TEST(UpdateRunTest, DuplicatesAreFetchedTwiceAndAnUncreatableFileEndsTheDownload) {
    UpdateCase r;
    r.ftp.files = {{"a", "1"}, {"b", "2"}};
    r.portal.texts[kUrl] = "#\r\n" + Entry("a", "1") + Entry("a", "1") + Entry("b", "2");
    r.folder.uncreatable = {"b.part"};
    r.Go();
    EXPECT_EQ(r.ftp.opened, (std::vector<std::string>{"a", "a", "b"}));
    EXPECT_EQ(r.folder.files.count("b"), 0u);
    EXPECT_TRUE(r.Failed());
}

// The window's thread stops the download and detaches while the update thread
// runs (run under ThreadSanitizer too): no call reaches the window afterwards.
TEST(UpdateRunTest, StopAndDetachRaceWithARunningDownload) {
    class Window : public RecordingListener {
    public:
        std::atomic<bool> detached{false};
        std::atomic<int> lateCalls{0};
        void OnProgress(float) override { Check(); }
        void OnStatusText(const char*) override { Check(); }
        void OnUpdateFinished() override { Check(); }
        void OnSelfUpdateStarted() override { Check(); }
        void Check() {
            if (detached)
                ++lateCalls;
        }
    };
    for (int round = 0; round < 20; ++round) {
        UpdateCase r;
        Window window;
        r.worker.m_gate.Attach(&window);
        r.worker.m_listener = &r.worker.m_gate;
        r.ftp.files = {{"a", Bytes(200000, 1)}, {"b", Bytes(200000, 2)}};
        r.ServeManifest();
        std::thread worker([&] { r.Go(); });
        std::this_thread::sleep_for(std::chrono::microseconds(50 * round));
        r.worker.RequestStop();
        r.worker.m_gate.Detach();
        window.detached = true;
        worker.join();
        EXPECT_EQ(window.lateCalls, 0);
        for (const auto& [name, bytes] : r.folder.files)
            EXPECT_EQ(bytes, r.ftp.files[name]) << name; // whole or absent
    }
}

} // namespace
