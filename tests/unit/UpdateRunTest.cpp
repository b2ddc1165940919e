#include "UpdateFakes.h"
#include "update/UpdateCheck.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const char kUrl[] = "http://portal/files.php";

struct UpdateCase : UpdateBench<> {
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

TEST(UpdateRunTest, FailuresAreReportedButStillFinish) {
    const struct {
        const char* what;
        void (*arrange)(UpdateCase&);
        bool failed;
        const char* manifestLine;
    } cases[] = {
        {"portal down", [](UpdateCase& r) { r.portal.texts.clear(); }, true,
         "manifest: the request failed; nothing checked"},
        {"error page", [](UpdateCase& r) { r.portal.texts[kUrl] = "<html>500</html>\r\n"; }, true,
         "manifest: not a manifest (its first line is not \"#\"); nothing checked"},
        {"nothing to do", [](UpdateCase& r) { r.portal.texts[kUrl] = "#\r\n"; }, false,
         "manifest: 0 files, 0 to delete, 0 lines skipped"},
        {"FTP server down", [](UpdateCase& r) { r.ftp.down = true; }, true, nullptr},
        {"file cannot be created", [](UpdateCase& r) { r.folder.uncreatable = {"a.part"}; }, true,
         nullptr},
        // What comes before the cut is done; "a.bak" cut to "a" by the limit is not.
        {"cut at the limit",
         [](UpdateCase& r) {
             const std::string head = "#\r\n#DELETE\r\ngone\r\n";
             r.portal.texts[kUrl] =
                 head + std::string(kManifestLimit - head.size() - 3, 'p') + "\r\na.bak\r\n";
             r.folder.files["gone"] = "x";
         },
         true,
         "manifest: 0 files, 2 to delete, 0 lines skipped\nmanifest: cut at the read limit; the "
         "lines after the cut were not checked"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CapturedLog log;
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
        if (c.manifestLine) {
            EXPECT_EQ(log.Starting("manifest"), c.manifestLine + std::string("\n"));
        }
    }
}

// An internal error still ends the run, so that the window enables "Launch!".
TEST(UpdateRunTest, AnExceptionEndsTheRunAsFailed) {
    for (bool inTheRun : {true, false}) {
        CapturedLog log;
        UpdateCase r;
        r.ftp.files = {{"a", "new"}};
        r.ServeManifest();
        r.folder.files = {{"a", "old!"}};
        const auto fire = [](const std::string&) { throw std::runtime_error("disk on fire"); };
        if (inTheRun)
            r.ftp.onRead = fire;
        r.Run(r.folder, kUrl, nullptr, [&] {
            if (!inTheRun)
                fire("");
        });
        EXPECT_EQ(r.listener.calls.back(), "finished");
        EXPECT_EQ(r.Failed(), inTheRun);
        EXPECT_EQ(r.folder.files.at("a"), inTheRun ? "old!" : "new");
        EXPECT_EQ(log.Starting("internal"),
                  std::string("internal error in ") +
                      (inTheRun ? "the update" : "storing the check cache") + ": disk on fire\n");
    }
}

// A file that could not be deleted fails the run: the folder is not in the
// community's state.
TEST(UpdateRunTest, TheLogSaysWhatBecameOfEachFile) {
    for (size_t more : {size_t{0}, kCurrentLinesMax}) {
        CapturedLog log;
        UpdateCase r;
        r.ftp.files = {{"changed.pk3", "new"}, {"current.pk3", "same"}};
        for (size_t i = 0; i < more; ++i)
            r.ftp.files["more" + std::to_string(i)] = "m";
        r.folder.files = r.ftp.files;
        r.folder.files["changed.pk3"] = "old!";
        r.folder.files["gone.pk3"] = r.folder.files["locked.pk3"] = "x";
        r.folder.undeletable = {"locked.pk3"};
        std::string deletes = "#DELETE\r\ngone.pk3\r\nabsent.pk3\r\nlocked.pk3\r\n";
        for (size_t i = 0; i < more; ++i)
            deletes += "long-gone" + std::to_string(i) + "\r\n";
        r.ServeManifest(deletes);
        r.Go();
        EXPECT_EQ(log.Starting("file"),
                  "file changed.pk3: 4 bytes, listed 3, to fetch\n" +
                      std::string(more ? "" : "file current.pk3: current\n") +
                      "file gone.pk3: deleted as the manifest asks\n" +
                      std::string(more ? "" : "file absent.pk3: to delete, but not there\n") +
                      "file locked.pk3: to delete, but it could not be deleted: error 5 (Access is "
                      "denied)\n" +
                      (more ? "files current: 41 of 42\n"
                              "files to delete that were not there: 41 of 43\n"
                            : ""));
        EXPECT_EQ(r.folder.files.at("changed.pk3"), "new");
        EXPECT_EQ(r.folder.files.count("gone.pk3"), 0u);
        EXPECT_TRUE(r.Failed());
    }
}

// The piece is kept for the next start to go on from.
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

// Without a verified new launcher from this run and a started eu.exe the
// launcher must not close: the player can still play.
TEST(UpdateRunTest, HandOffOnlyWhenTheNewLauncherArrivedAndEuStarted) {
    const struct {
        const char* what;
        void (*arrange)(UpdateCase&);
        int starts;
        bool handedOff;
    } cases[] = {
        {"arrived", [](UpdateCase&) {}, 1, true},
        {"another launcher failed before",
         [](UpdateCase& r) { r.folder.files["vemor.failed"] = Bytes(3000, 8); }, 1, true},
        {"FTP server down", [](UpdateCase& r) { r.ftp.down = true; }, 0, false},
        {"not on the server", [](UpdateCase& r) { r.ftp.files.erase("vemor.exe"); }, 0, false},
        {"other bytes", [](UpdateCase& r) { r.ftp.files["vemor.exe"][5] ^= 1; }, 0, false},
        {"stopped", [](UpdateCase& r) { r.worker.m_stopRequested = true; }, 0, false},
        {"eu.exe cannot start", [](UpdateCase& r) { r.selfUpdate.startable = false; }, 1, false},
        {"this launcher failed before",
         [](UpdateCase& r) { r.folder.files["vemor.failed"] = r.ftp.files["vemor.exe"]; }, 0,
         false},
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
        EXPECT_EQ(r.listener.calls.back(), c.handedOff ? "self-update" : "finished");
        EXPECT_EQ(r.Failed(), !c.handedOff);
        EXPECT_EQ(r.selfUpdate.starts, c.starts);
        EXPECT_EQ(r.folder.files.at("vemor.exe"), "running copy");
        EXPECT_EQ(r.folder.files.at("vemor.new"), c.starts ? served : "stale"); // arrived
    }
}

// The window may end the process as soon as it hears that the run is over.
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
