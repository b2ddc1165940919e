#include "UpdateFakes.h"

#include "update/CachedGameFolder.h"
#include "update/CheckCache.h"
#include "update/UpdateCheck.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr uint64_t kDay = 24ull * 3600 * 10000000;
constexpr uint64_t kNow = 134000000000000000ull;

struct StampedFolder : FakeFolder, IFileStamps {
    std::map<std::string, uint64_t> times;
    std::map<std::string, int> reads;

    uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) override {
        ++reads[path];
        return FakeFolder::ComputeFileCrc32(path, crc);
    }
    bool GetFileStamp(const std::string& path, CheckCache::Stamp& stamp) override {
        stamp = {files.count(path) ? files[path].size() : 0, times[path]};
        return files.count(path) != 0;
    }
    int Reads() const {
        int total = 0;
        for (const auto& item : reads)
            total += item.second;
        return total;
    }
};

struct Runs {
    StampedFolder folder;
    Manifest manifest;
    std::string stored;
    std::vector<std::string> fetch;

    Runs() {
        manifest.valid = true;
        for (const char* name : {"a.pk3", "base\\b.pk3", "c.cfg"}) {
            const std::string& bytes = folder.files[name] = std::string(name) + " content";
            folder.times[name] = 1000;
            const auto size = static_cast<uint32_t>(bytes.size());
            manifest.items.push_back({false, name, Crc32(bytes.data(), size), size});
        }
        Again();
    }
    void Again(uint64_t now = kNow) {
        CheckCache cache = CheckCache::Load(stored, now);
        CachedGameFolder cached(folder, folder, cache);
        folder.reads.clear();
        fetch.clear();
        for (const ManifestItem& item : DeleteAndListOutdated(manifest, cached).fetchList)
            fetch.push_back(item.name);
        stored = cache.Serialise();
    }
};

TEST(CheckCacheTest, UnchangedFilesAreNotReadAgainAndAChangedStampIsRead) {
    Runs run;
    EXPECT_EQ(run.folder.Reads(), 3);
    EXPECT_TRUE(run.fetch.empty());

    run.Again();
    EXPECT_EQ(run.folder.Reads(), 0);
    EXPECT_TRUE(run.fetch.empty());

    // Changed in place, same size: a new time gives it away; the same time
    // is the trade-off the cache makes.
    run.folder.files["a.pk3"][0] ^= 1;
    run.Again();
    EXPECT_EQ(run.folder.Reads(), 0);
    EXPECT_TRUE(run.fetch.empty());
    run.folder.times["a.pk3"] = 1001;
    run.Again();
    EXPECT_EQ(run.folder.reads["a.pk3"], 1);
    EXPECT_EQ(run.fetch, std::vector<std::string>{"a.pk3"});

    // A size change is never taken for current, even with the old time.
    run.folder.files["c.cfg"] += "x";
    run.Again();
    EXPECT_EQ(run.fetch, (std::vector<std::string>{"a.pk3", "c.cfg"}));
    // Remembered as read: fetched again without a read.
    run.Again();
    EXPECT_EQ(run.folder.Reads(), 0);
    EXPECT_EQ(run.fetch, (std::vector<std::string>{"a.pk3", "c.cfg"}));
}

struct UpdateRuns : UpdateBench<StampedFolder> {
    std::string stored;
    void Go(const std::string& manifest) {
        portal.texts["http://portal/files.php"] = manifest;
        CheckCache cache = CheckCache::Load(stored, kNow);
        CachedGameFolder cached(folder, folder, cache);
        folder.reads.clear();
        ftp.opened.clear();
        Run(cached, "http://portal/files.php");
        stored = cache.Serialise();
    }
};

TEST(CheckCacheTest, DeletionsAndDownloadsKeepTheCacheTrue) {
    UpdateRuns runs;
    const std::string current = "current bytes", old = "old bytes";
    runs.ftp.files = {{"new.pk3", "downloaded bytes"}, {"old.pk3", old}};
    runs.folder.files = {{"a.pk3", current}, {"old.pk3", old}};
    const std::string manifest = "#\r\n" + ManifestEntry("a.pk3", current) +
                                 ManifestEntry("old.pk3", old) +
                                 ManifestEntry("new.pk3", runs.ftp.files["new.pk3"]);
    runs.Go(manifest);
    EXPECT_EQ(runs.folder.reads, (std::map<std::string, int>{{"a.pk3", 1}, {"old.pk3", 1}}));
    EXPECT_EQ(runs.ftp.opened, std::vector<std::string>{"new.pk3"});

    runs.Go(manifest);
    EXPECT_TRUE(runs.folder.reads.empty());
    EXPECT_TRUE(runs.ftp.opened.empty());

    // Checked, then deleted by the same manifest, then back with other bytes
    // of the same size and time: read, not remembered, and fetched.
    runs.Go(manifest + "#DELETE\r\nold.pk3\r\n");
    ASSERT_FALSE(runs.folder.files.count("old.pk3"));
    runs.folder.files["old.pk3"] = "OLD BYTES";
    runs.Go(manifest);
    EXPECT_EQ(runs.folder.reads, (std::map<std::string, int>{{"old.pk3", 1}}));
    EXPECT_EQ(runs.ftp.opened, std::vector<std::string>{"old.pk3"});
    EXPECT_EQ(runs.folder.files["old.pk3"], old);
}

TEST(CheckCacheTest, AFileReplacedWithoutAVerifiedCrcIsForgotten) {
    Runs run;
    CheckCache cache = CheckCache::Load(run.stored, kNow);
    CachedGameFolder cached(run.folder, run.folder, cache);
    DeleteAndListOutdated(run.manifest, cached);
    // Same size, and the fake keeps the old time: only forgetting it on the
    // move keeps it from passing as current.
    cached.CreateLocalFile("a.pk3.part")->Write("A.PK3 CONTENT", 13);
    ASSERT_TRUE(cached.MoveIntoPlace("a.pk3.part", "a.pk3"));
    run.stored = cache.Serialise();
    run.Again();
    EXPECT_EQ(run.folder.reads, (std::map<std::string, int>{{"a.pk3", 1}}));
    EXPECT_EQ(run.fetch, std::vector<std::string>{"a.pk3"});
}

TEST(CheckCacheTest, AFileThatCouldNotBeReadIsNotRemembered) {
    Runs run;
    // Missing between the size query and the read.
    CheckCache cache;
    CachedGameFolder cached(run.folder, run.folder, cache);
    uint32_t size = 0, crc = 0;
    ASSERT_TRUE(cached.GetLocalFileSize("a.pk3", size));
    run.folder.files.erase("a.pk3");
    EXPECT_NE(cached.ComputeFileCrc32("a.pk3", crc), 0u);
    EXPECT_TRUE(cache.Paths().empty());
}

TEST(CheckCacheTest, AnUnchangedRunLeavesTheFileAloneAndDroppedFilesLeaveTheCache) {
    Runs run;
    CheckCache same = CheckCache::Load(run.stored, kNow);
    CachedGameFolder cached(run.folder, run.folder, same);
    DeleteAndListOutdated(run.manifest, cached);
    EXPECT_FALSE(same.Changed());

    run.manifest.items.pop_back();
    CheckCache fewer = CheckCache::Load(run.stored, kNow);
    CachedGameFolder again(run.folder, run.folder, fewer);
    DeleteAndListOutdated(run.manifest, again);
    EXPECT_TRUE(fewer.Changed());
    EXPECT_EQ(CheckCache::Load(fewer.Serialise(), kNow).Paths(),
              (std::vector<std::string>{"a.pk3", "base\\b.pk3"}));
}

TEST(CheckCacheTest, AWeekAfterTheLastFullCheckEveryFileIsReadAgain) {
    Runs run; // a full check at kNow
    // A week on, and the clock going back a little or a cache from the future.
    const std::pair<uint64_t, int> cases[] = {
        {kNow + 6 * kDay, 0}, {kNow + 7 * kDay, 3}, {kNow - kDay / 2, 0}, {kNow - 2 * kDay, 3}};
    for (const auto& [now, reads] : cases) {
        Runs fresh;
        fresh.Again(now);
        EXPECT_EQ(fresh.folder.Reads(), reads) << now;
    }
    run.Again(kNow + 6 * kDay);
    run.Again(kNow + 7 * kDay);
    EXPECT_EQ(run.folder.Reads(), 3);
}

std::string Sealed(const std::string& body, size_t count) {
    char seal[9];
    std::snprintf(seal, sizeof seal, "%08x", Crc32(body.data(), body.size()));
    return body + "end " + std::to_string(count) + " " + seal + "\n";
}

TEST(CheckCacheTest, AnythingButAnIntactCacheOfThisLayoutIsIgnoredWhole) {
    Runs run;
    const std::string& good = run.stored;
    ASSERT_EQ(CheckCache::Load(good, kNow).Paths().size(), 3u);

    for (size_t at = 0; at < good.size(); ++at) {
        EXPECT_TRUE(CheckCache::Load(good.substr(0, at), kNow).Paths().empty()) << at;
        std::string bad = good;
        bad[at] ^= 1;
        EXPECT_TRUE(CheckCache::Load(bad, kNow).Paths().empty()) << at;
    }

    // Sealed correctly but not what this layout writes.
    const std::string head = "vemor check cache 1\nfull-check " + std::to_string(kNow) + "\n";
    const std::string entry = "1 2 3 a.pk3\n";
    ASSERT_EQ(CheckCache::Load(Sealed(head + entry, 1), kNow).Paths().size(), 1u);
    const std::string hostile[] = {
        Sealed("vemor check cache 2\nfull-check " + std::to_string(kNow) + "\n" + entry, 1),
        Sealed(head + entry, 2),
        Sealed(head + entry + entry, 2),
        Sealed(head + "1 2 3 b.pk3\n" + entry, 2),
        Sealed(head + "-1 2 3 a.pk3\n", 1),
        Sealed(head + "4294967296 2 3 a.pk3\n", 1),
        Sealed(head + "1 2 a.pk3\n", 1),
        Sealed(head + "1 2 3 a.pk3\r\n", 1),
        Sealed(head + entry, 1) + "more\n",
        head + entry + "end 1 00000000\n",
        std::string(CheckCache::kMaxBytes + 1, '\n'),
    };
    for (const std::string& text : hostile)
        EXPECT_TRUE(CheckCache::Load(text, kNow).Paths().empty()) << text;
}

} // namespace
