// The up-to-date check of a game folder of just over 1 GiB in 200 files, all
// current, without a check cache (cold: every file is read, and the cache is
// built and serialised) and with one (warm), against merely reading the same
// files with the check's 4096-byte block, in one run, with the files in the
// page cache (where reading costs least, so the CRC weighs most).
#include "BenchTiming.h"
#include "InTurns.h"
#include "LargeGameFolder.h"

#include "digest/Crc32.h"
#include "update/CachedGameFolder.h"
#include "update/UpdateCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t kBlock = 4096;

class PosixFolder : public IGameFolder, public IFileStamps {
public:
    bool GetFileStamp(const std::string& path, CheckCache::Stamp& stamp) override {
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            return false;
        stamp.size = static_cast<uint64_t>(info.st_size);
        stamp.time = static_cast<uint64_t>(info.st_mtim.tv_sec) * 10000000 +
                     static_cast<uint64_t>(info.st_mtim.tv_nsec) / 100;
        return true;
    }
    bool GetLocalFileSize(const std::string& path, uint32_t& size) override {
        CheckCache::Stamp stamp;
        if (!GetFileStamp(path, stamp))
            return false;
        size = static_cast<uint32_t>(stamp.size);
        return true;
    }
    // As the launcher's Win32 folder computes it.
    uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) override {
        uint32_t state = kCrc32Start;
        const int file = open(path.c_str(), O_RDONLY);
        if (file < 0) {
            crc = 0;
            return 2;
        }
        unsigned char block[kBlock];
        ssize_t got;
        while ((got = read(file, block, sizeof block)) > 0)
            state = Crc32Update(state, block, static_cast<size_t>(got));
        close(file);
        crc = Crc32Finish(state);
        return got < 0 ? 5 : 0;
    }
    DeleteResult DeleteLocalFile(const std::string&) override { return {}; }
    std::unique_ptr<ILocalFile> CreateLocalFile(const std::string&) override { return nullptr; }
    bool MoveIntoPlace(const std::string&, const std::string&) override { return false; }
};

size_t ReadAll(const std::vector<std::string>& paths) {
    size_t total = 0;
    unsigned char block[kBlock];
    for (const std::string& path : paths) {
        const int file = open(path.c_str(), O_RDONLY);
        ssize_t got;
        while ((got = read(file, block, sizeof block)) > 0)
            total += static_cast<size_t>(got) + block[0];
        close(file);
    }
    return total;
}

// One start's check: load the stored cache, check, and serialise the cache
// when it changed. Returns what would be stored.
std::string CheckOnce(const Manifest& manifest, PosixFolder& folder, const std::string& stored,
                      bool& current) {
    CheckCache cache = CheckCache::Load(stored, 134000000000000000ull);
    CachedGameFolder cached(folder, folder, cache);
    current = DeleteAndListOutdated(manifest, cached).fetchList.empty();
    return cache.Changed() ? cache.Serialise() : stored;
}

} // namespace

int main() {
    const std::string dir = "/tmp/vemor-check-cache-bench";
    mkdir(dir.c_str(), 0755);
    // Manifest paths are relative to the game folder.
    if (chdir(dir.c_str()) != 0)
        return 1;
    const Manifest manifest =
        MakeLargeGameFolder("", [](const std::string& path, const void* data, size_t size) {
            std::FILE* out = std::fopen(path.c_str(), "wb");
            std::fwrite(data, 1, size, out);
            std::fclose(out);
        });
    std::vector<std::string> paths;
    for (const ManifestItem& item : manifest.items)
        paths.push_back(item.name);
    PosixFolder folder;
    volatile size_t sink = ReadAll(paths); // into the page cache
    bool current = true;
    bool allCurrent = true;
    std::string stored;
    const auto cold = [&] {
        stored = CheckOnce(manifest, folder, "", current);
        allCurrent = allCurrent && current;
    };
    const auto warm = [&] {
        CheckOnce(manifest, folder, stored, current);
        allCurrent = allCurrent && current;
    };
    const auto read = [&] { sink = sink + ReadAll(paths); };
    const TimedPair inCache = InTurns(5, cold, read);
    const TimedPair warmInCache = InTurns(5, warm, read);
    for (const std::string& path : paths)
        std::remove(path.c_str());
    if (!allCurrent) {
        std::printf("check cache: files not current\n");
        return 1;
    }
    PrintRatio("update check of 1 GiB in 200 files, no check cache", "check", inCache.subject,
               "plain read", inCache.reference);
    PrintRatio("update check of 1 GiB in 200 files, check cache present", "check",
               warmInCache.subject, "plain read", warmInCache.reference);
    return 0;
}
