#include "update/ServerList.h"

#include "update/TextLines.h"

#include <cstdio>

namespace {

bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

ServerList ParseServerList(std::string_view text) {
    ServerList list;
    const PortalLines split = SplitPortalLines(text);
    size_t first = 0;
    if (split.hasLineEnd) {
        list.stamp = std::string(split.lines.front());
        first = 1;
    }
    for (size_t i = first; i < split.lines.size(); ++i) {
        const std::string_view line = split.lines[i];
        const size_t bar = line.find('|');
        if (bar == std::string_view::npos || bar < 1 || bar + 2 > line.size())
            continue;
        list.servers.push_back(
            {std::string(line.substr(0, bar)), std::string(line.substr(bar + 1))});
    }
    return list;
}

void RefreshServerList(ServerCache& cache, ServerListServices& services) {
    const std::string stored = services.stamps.ReadStamp();
    std::string text;
    if (!services.http.Fetch(services.listUrl, text))
        return;
    const ServerList list = ParseServerList(text);
    if (list.stamp == stored && FileExists(services.cachePath))
        return;
    try {
        ResetServerCache(cache, services.cachePath.c_str());
        for (const ServerLine& server : list.servers)
            AddServer(cache, 3, server.address.c_str(), server.name.c_str(), services.resolver);
        if (cache.m_count3 > 0) {
            SaveServerCache(cache, services.cachePath.c_str());
            services.stamps.WriteStamp(list.stamp);
        }
    } catch (const ServerCacheError&) {
        // What was written stays and the stamp is not updated: the next run
        // rebuilds the cache.
    }
}
