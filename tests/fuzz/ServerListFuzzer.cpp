// Any text as the server list, every server added to the game's table: no
// crash, no sanitizer report, never more than the table holds.
#include "serverlist/NetAddress.h"
#include "serverlist/ServerCache.h"
#include "serverlist/ServerList.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// Numbers become an address, names resolve only when they start with "ok".
struct Resolver : IHostResolver {
    void ParseNumeric(const char* host, uint8_t ip[4]) override {
        std::memset(ip, static_cast<uint8_t>(std::strlen(host)), 4);
    }
    bool LookupName(const char* host, uint8_t ip[4]) override {
        std::memset(ip, 7, 4);
        return std::strncmp(host, "ok", 2) == 0;
    }
};

ServerCache g_cache;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ServerList list =
        ParseServerList(std::string_view(reinterpret_cast<const char*>(data), size));
    Resolver resolver;
    g_cache.m_count1 = 0;
    g_cache.m_count2 = -1;
    g_cache.m_count3 = 0;
    for (const ServerLine& server : list.servers) {
        if (server.address.empty() || server.name.empty())
            __builtin_trap();
        AddServer(g_cache, 3, server.address.c_str(), server.name.c_str(), resolver);
        NetAddress address;
        ParseNetAddress(server.address.c_str(), address, resolver);
    }
    if (g_cache.m_count3 > ServerCache::kCapacity3)
        __builtin_trap();
    for (int i = 0; i < g_cache.m_count3; ++i)
        if (g_cache.m_table3[i].name[31] != '\0' || g_cache.m_table3[i].added != 1)
            __builtin_trap();
    return 0;
}
