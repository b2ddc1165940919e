#include "UpdateFakes.h"

#include <gtest/gtest.h>

namespace {

const char kUrl[] = "http://portal/files.php";

struct UpdateCase : UpdateBench<> {
    // Serves the server's files as the manifest, then the extra lines.
    void ServeManifest(const std::string& extra = "") {
        std::string text = "#\r\n";
        for (const auto& [name, bytes] : ftp.files)
            text += ManifestEntry(name, bytes);
        portal.texts[kUrl] = text + extra;
    }
    // The listener calls made before the run stored what must be on disk.
    std::vector<std::vector<std::string>> callsBeforeStore;
    void Go() {
        Run(folder, kUrl, nullptr, [this] { callsBeforeStore.push_back(listener.calls); });
    }
};

// One report per whole percentage of the sizes the manifest lists, never one
// per read, up to 100.
TEST(UpdateRunTest, ProgressIsPostedPerWholePercent) {
    UpdateCase r;
    r.ftp.files = {{"base\\big.pk3", Bytes(3 * 1024 * 1024 + 17, 4)}, {"small", Bytes(10, 6)}};
    r.ftp.readSize = 70000;
    r.ServeManifest();
    r.Go();
    const auto& p = r.listener.progress;
    ASSERT_GE(p.size(), 2u);
    for (size_t i = 1; i < p.size(); ++i)
        EXPECT_GT(static_cast<int>(p[i]), static_cast<int>(p[i - 1]));
    EXPECT_FLOAT_EQ(p.back(), 100.0f);
    EXPECT_EQ(r.folder.files, r.ftp.files);
    EXPECT_FALSE(r.Failed());
}

// Whatever fails, the run still finishes, says so, and the old copy stays.
TEST(UpdateRunTest, FailuresAreReportedButStillFinish) {
    const struct {
        const char* what;
        void (*arrange)(UpdateCase&);
        bool failed;
    } cases[] = {
        {"portal down", [](UpdateCase& r) { r.portal.texts.clear(); }, true},
        {"error page", [](UpdateCase& r) { r.portal.texts[kUrl] = "<html>500</html>\r\n"; }, true},
        {"nothing to do", [](UpdateCase& r) { r.portal.texts[kUrl] = "#\r\n"; }, false},
        {"FTP server down", [](UpdateCase& r) { r.ftp.down = true; }, true},
        {"file cannot be created", [](UpdateCase& r) { r.folder.uncreatable = {"a.part"}; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateCase r;
        r.ftp.files = {{"a", "new"}, {"b", "2"}};
        r.ServeManifest();
        r.folder.files = {{"a", "old!"}};
        c.arrange(r);
        r.Go();
        EXPECT_EQ(r.Failed(), c.failed);
        EXPECT_EQ(r.listener.calls.back(), "finished");
        if (c.failed) {
            EXPECT_EQ(r.folder.files.at("a"), "old!");
        }
    }
}

// A delete line cut by the read limit ("...cfg.bak" cut to "...cfg") is not
// acted on; the entries before the cut are, and the run says it failed.
TEST(UpdateRunTest, AManifestCutAtTheLimitHandlesWhatCameBeforeAndFails) {
    UpdateCase r;
    r.ftp.files = {{"new.txt", "fresh"}};
    std::string text = "#\r\n" + ManifestEntry("new.txt", "fresh") + "#DELETE\r\nold.txt\r\n";
    text += std::string(10000 - text.size() - 23, 'p') + "\r\njaplus\\jampconfig.cfg";
    r.portal.texts[kUrl] = text + ".bak\r\n";
    r.folder.files = {{"japlus\\jampconfig.cfg", "seta name P"}, {"old.txt", "o"}};
    r.Go();
    EXPECT_EQ(r.folder.files.at("japlus\\jampconfig.cfg"), "seta name P");
    EXPECT_EQ(r.folder.files.count("old.txt"), 0u);
    EXPECT_EQ(r.folder.files.at("new.txt"), "fresh");
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.listener.calls.back(), "finished");
}

// The player's stop ends the download after the current read; it is not a
// failure, and the piece of the file is kept for the next start to go on from.
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
    EXPECT_EQ(r.folder.files.at("f2"), r.ftp.files["f2"]);
    EXPECT_EQ(r.folder.files.at("f3"), "previous f3");
    EXPECT_EQ(r.folder.files.at("f3.part"), r.ftp.files["f3"].substr(0, 1024));
    EXPECT_EQ(r.folder.files.size(), 4u); // nothing of f4, f5
    EXPECT_EQ(r.listener.ends, (std::vector<UpdateEnd>{UpdateEnd::kStopped}));
}

// The launcher's own executable arrives as "vemor.new" and is handed to
// "eu.exe". Without a verified new launcher from this run and a started
// "eu.exe" the launcher must not close: it ends as a failed update and the
// player can play. A "vemor.new" left by an earlier run is never handed over.
TEST(UpdateRunTest, HandOffOnlyWhenTheNewLauncherArrivedAndEuStarted) {
    const struct {
        const char* what;
        void (*arrange)(UpdateCase&);
        int starts;
    } cases[] = {
        {"arrived", [](UpdateCase&) {}, 1},
        {"FTP server down", [](UpdateCase& r) { r.ftp.down = true; }, 0},
        {"not on the server", [](UpdateCase& r) { r.ftp.files.erase("vemor.exe"); }, 0},
        {"other bytes", [](UpdateCase& r) { r.ftp.files["vemor.exe"][5] ^= 1; }, 0},
        {"stopped", [](UpdateCase& r) { r.worker.m_stopRequested = true; }, 0},
        {"eu.exe cannot start", [](UpdateCase& r) { r.selfUpdate.startable = false; }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateCase r;
        r.ftp.files = {{"vemor.exe", Bytes(3000, 7)}};
        r.folder.files = {{"vemor.exe", "running copy"}, {"vemor.new", "stale"}};
        r.ServeManifest();
        const std::string served = r.ftp.files["vemor.exe"];
        c.arrange(r);
        r.Go();
        const bool handedOff = c.arrange == cases[0].arrange;
        EXPECT_EQ(r.listener.calls.back(), handedOff ? "self-update" : "finished");
        EXPECT_EQ(r.Failed(), !handedOff);
        EXPECT_EQ(r.selfUpdate.starts, c.starts);
        EXPECT_EQ(r.folder.files.at("vemor.exe"), "running copy");
        if (handedOff) {
            EXPECT_EQ(r.folder.files.at("vemor.new"), served);
        }
    }
}

// The window may end the process as soon as it hears that the run is over,
// so the check cache must be stored before that last call, once, whatever
// the run's end.
TEST(UpdateRunTest, WhatMustBeStoredIsStoredBeforeTheLastCall) {
    const std::function<void(UpdateCase&)> ends[] = {
        [](UpdateCase& r) { r.ServeManifest(); },                // up to date
        [](UpdateCase& r) { r.ServeManifest("x.pk3|1|1\r\n"); }, // a file fails
        [](UpdateCase& r) {
            r.ftp.files = {{"vemor.exe", Bytes(2000, 7)}}, r.ServeManifest();
        }, // self-update
    };
    for (const auto& arrange : ends) {
        UpdateCase r;
        r.ftp.files = {{"a.pk3", Bytes(700, 1)}};
        arrange(r);
        r.Go();
        ASSERT_EQ(r.callsBeforeStore.size(), 1u);
        EXPECT_EQ(r.callsBeforeStore[0].size() + 1, r.listener.calls.size())
            << r.listener.calls.back();
    }
}

} // namespace
