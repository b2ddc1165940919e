#pragma once

#include "serverlist/NetAddress.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

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

// Empties the tables (source 2 counts -1). The file is not touched: the new
// cache is built in memory and replaces the old one only when it holds a server.
void ResetServerCache(ServerCache& cache);

// 1 added, 0 already there, -1 table full or no such source.
int AddServer(ServerCache& cache, int source, const char* address, const char* name,
              IHostResolver& resolver);

// The bytes of the cache file: the counts of sources 2, 1 and 3, the tables'
// size, then the tables of sources 2, 1 and 3, in that order.
std::string ServerCacheFileBytes(const ServerCache& cache);
