#include "update/Win32CheckCache.h"

#include "win/WholeFile.h"

#include <windows.h>

namespace {

uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

} // namespace

bool Win32FileStamps::GetFileStamp(const std::string& path, CheckCache::Stamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
    stamp.time = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    return true;
}

uint64_t FileTimeNow() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return Join(now.dwHighDateTime, now.dwLowDateTime);
}

CheckCache LoadCheckCache(const std::string& path) {
    std::string bytes;
    // One byte more than a cache may hold, so that an oversized file is seen as
    // such instead of being cut to a size that might parse.
    win::ReadWholeFile(path, bytes, CheckCache::kMaxBytes + 1);
    return CheckCache::Load(bytes, FileTimeNow());
}

bool SaveCheckCache(const std::string& path, const CheckCache& cache) {
    return win::ReplaceWholeFile(path, path + ".tmp", cache.Serialise());
}
