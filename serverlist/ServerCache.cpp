#include "serverlist/ServerCache.h"

#include <cstring>

void Q_strncpyz(char* dest, const char* src, int size) {
    if (!src)
        throw ServerCacheError("Q_strncpyz: NULL src");
    if (size < 1)
        return;
    const size_t room = static_cast<size_t>(size) - 1;
    const size_t length = strnlen(src, room);
    std::memcpy(dest, src, length);
    std::memset(dest + length, 0, static_cast<size_t>(size) - length);
}

void ResetServerCache(ServerCache& cache) {
    cache.m_count1 = 0;
    cache.m_count2 = -1;
    cache.m_count3 = 0;
    std::memset(cache.m_table1, 0, sizeof cache.m_table1);
    std::memset(cache.m_table2, 0, sizeof cache.m_table2);
    std::memset(cache.m_table3, 0, sizeof cache.m_table3);
}

int AddServer(ServerCache& cache, int source, const char* address, const char* name,
              IHostResolver& resolver) {
    ServerEntry* table = nullptr;
    int32_t* count = nullptr;
    int capacity = 0;
    switch (source) {
    case 1:
        table = cache.m_table1, count = &cache.m_count1, capacity = ServerCache::kCapacity1;
        break;
    case 2:
        table = cache.m_table2, count = &cache.m_count2, capacity = ServerCache::kCapacity2;
        break;
    case 3:
        table = cache.m_table3, count = &cache.m_count3, capacity = ServerCache::kCapacity3;
        break;
    default:
        return -1;
    }
    if (*count >= capacity)
        return -1;
    NetAddress parsed;
    // An address that does not resolve is still stored, as a bad one.
    ParseNetAddress(address, parsed, resolver);
    for (int i = 0; i < *count; ++i)
        if (SameAddress(table[i].address, parsed))
            return 0;
    // Source 2 counts -1 when empty; its first entry goes to index 0.
    ServerEntry& entry = table[*count < 0 ? 0 : *count];
    std::memset(&entry, 0, sizeof entry);
    entry.address = parsed;
    Q_strncpyz(entry.name, name, sizeof entry.name);
    Q_strncpyz(entry.text1, "", sizeof entry.text1);
    Q_strncpyz(entry.text2, "", sizeof entry.text2);
    entry.added = 1;
    *count = (*count < 0 ? 0 : *count) + 1;
    return 1;
}

std::string ServerCacheFileBytes(const ServerCache& cache) {
    const int32_t tablesSize = kServerTablesSize;
    std::string bytes;
    bytes.reserve(kServerCacheFileSize);
    auto append = [&bytes](const void* data, size_t length) {
        bytes.append(static_cast<const char*>(data), length);
    };
    append(&cache.m_count2, 4);
    append(&cache.m_count1, 4);
    append(&cache.m_count3, 4);
    append(&tablesSize, 4);
    append(cache.m_table2, sizeof cache.m_table2);
    append(cache.m_table1, sizeof cache.m_table1);
    append(cache.m_table3, sizeof cache.m_table3);
    return bytes;
}
