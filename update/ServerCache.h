#pragma once

#include "update/NetAddress.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

// One server of the game's server cache (164 bytes, little-endian numbers).
struct ServerEntry {
    NetAddress address;
    char name[32];
    char text1[32];
    char text2[32];
    int32_t fields[7];
    int32_t added; // 1 for every entry the launcher adds
    int32_t tail[4];
};
static_assert(sizeof(ServerEntry) == 164, "the game's server record");

// The game keeps three tables, one per server source; the launcher fills
// source 3 only. Kept in static storage by its user: it is 377 KB.
struct ServerCache {
    static constexpr int kCapacity1 = 128;
    static constexpr int kCapacity2 = 2048;
    static constexpr int kCapacity3 = 128;

    int32_t m_count1;
    int32_t m_count2;
    int32_t m_count3;
    ServerEntry m_table1[kCapacity1];
    ServerEntry m_table2[kCapacity2];
    ServerEntry m_table3[kCapacity3];
};

// Size of the three tables as the file's header states it.
constexpr int32_t kServerTablesSize = 377856;
// The whole file: four counts and sizes, then the tables.
constexpr size_t kServerCacheFileSize = 377872;
static_assert(sizeof(ServerEntry) * (ServerCache::kCapacity1 + ServerCache::kCapacity2 +
                                     ServerCache::kCapacity3) ==
                  kServerTablesSize,
              "tables of the cache file");

// The errors the cache writer raises; the refresh catches them.
class ServerCacheError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Copies at most size - 1 characters, zero-fills the rest of dest and always
// ends it with a NUL. A null source raises "Q_strncpyz: NULL src".
void Q_strncpyz(char* dest, const char* src, int size);

// Deletes the cache file, then empties the tables (source 2 counts -1).
void ResetServerCache(ServerCache& cache, const char* path);

// 1 added, 0 already there, -1 table full or no such source.
int AddServer(ServerCache& cache, int source, const char* address, const char* name,
              IHostResolver& resolver);

// The primitive FS_Write writes through: bytes written, 0 or -1.
using CacheWriteFn = long long (*)(void* sink, const void* data, size_t length);

// Writes all bytes. A write of 0 bytes is forgiven once; the second raises
// "FS_Write: 0 bytes written\n", a result of -1 "FS_Write: -1 bytes written\n".
size_t FS_Write(const void* data, size_t length, CacheWriteFn write, void* sink);

// Writes the whole file (counts and tables of source 2, 1, 3 in that order).
// Returns without writing when the file cannot be created.
void SaveServerCache(const ServerCache& cache, const char* path);
