#pragma once

#include "update/CachedGameFolder.h"
#include "update/CheckCache.h"

#include <cstdint>
#include <string>

// The check cache file of the game folder.
constexpr const char kCheckCacheFile[] = "vemor.cache";

class Win32FileStamps : public IFileStamps {
public:
    bool GetFileStamp(const std::string& path, CheckCache::Stamp& stamp) override;
};

// The system time as a file time.
uint64_t FileTimeNow();

// The cache as stored at path; an empty one when there is none or it is not
// usable (CheckCache::Load).
CheckCache LoadCheckCache(const std::string& path);

// Replaces the file at path with the cache through a complete temporary
// copy; false (and the old file, if any, unchanged) when that failed.
bool SaveCheckCache(const std::string& path, const CheckCache& cache);
