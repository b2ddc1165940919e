// Under Wine: the up-to-date check of a game folder of just over 1 GiB in 200
// files (in the page cache) through the launcher's Win32 game folder, with
// no check cache (cold: every file is read, the cache is built and stored)
// and with the stored one (warm), against merely reading the same files with
// the check's 4096-byte block, in one run.
#include "BenchTiming.h"
#include "InTurns.h"
#include "LargeGameFolder.h"

#include "update/CachedGameFolder.h"
#include "update/UpdateCheck.h"
#include "update/Win32CheckCache.h"
#include "update/Win32GameFolder.h"
#include "win/Handle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

size_t ReadAll(const std::vector<std::string>& paths) {
    size_t total = 0;
    unsigned char block[4096];
    for (const std::string& path : paths) {
        win::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        DWORD got = 0;
        while (::ReadFile(file.Get(), block, sizeof block, &got, nullptr) && got > 0)
            total += got + block[0];
    }
    return total;
}

// One start's check as the update thread does it: load the cache file,
// check, store the cache when it changed.
bool CheckOnce(const Manifest& manifest) {
    Win32GameFolder folder;
    Win32FileStamps stamps;
    CheckCache cache = LoadCheckCache(kCheckCacheFile);
    CachedGameFolder cached(folder, stamps, cache);
    const bool current = DeleteAndListOutdated(manifest, cached).fetchList.empty();
    if (cache.Changed())
        SaveCheckCache(kCheckCacheFile, cache);
    return current;
}

} // namespace

int main() {
    const Manifest manifest =
        MakeLargeGameFolder("", [](const std::string& path, const void* data, size_t size) {
            win::ScopedHandle out(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            ::WriteFile(out.Get(), data, static_cast<DWORD>(size), &written, nullptr);
        });
    std::vector<std::string> paths;
    for (const ManifestItem& item : manifest.items)
        paths.push_back(item.name);
    volatile size_t sink = ReadAll(paths);
    bool allCurrent = true;
    const auto cold = [&] {
        ::DeleteFileA(kCheckCacheFile);
        allCurrent = CheckOnce(manifest) && allCurrent;
    };
    const auto warm = [&] { allCurrent = CheckOnce(manifest) && allCurrent; };
    const auto read = [&] { sink = sink + ReadAll(paths); };
    const TimedPair inCache = InTurns(5, cold, read);
    const TimedPair warmInCache = InTurns(5, warm, read);
    for (const std::string& path : paths)
        ::DeleteFileA(path.c_str());
    ::DeleteFileA(kCheckCacheFile);
    if (!allCurrent) {
        std::printf("check cache under Wine: files not current\n");
        return 1;
    }
    PrintRatio("update check of 1 GiB in 200 files under Wine, no check cache", "check",
               inCache.subject, "plain read", inCache.reference);
    PrintRatio("update check of 1 GiB in 200 files under Wine, check cache present", "check",
               warmInCache.subject, "plain read", warmInCache.reference);
    return 0;
}
