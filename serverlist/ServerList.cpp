#include "serverlist/ServerList.h"

#include "log/RunLog.h"
#include "signing/SignedUpdate.h"
#include "text/TextLines.h"

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
    ServerList list;
    if (services.signedSource) {
        if (!FetchSignedServerList(*services.signedSource, services.listUrl, list)) {
            LogLine("server list: no good signed list; servercache.dat kept");
            return;
        }
    } else {
        std::string text;
        if (!services.http.Fetch(services.listUrl, kPortalTextLimit, text))
            return;
        list = ParseServerList(text);
    }
    if (list.stamp == stored && services.cacheFile.Exists()) {
        LogLine("server list: stamp unchanged; servercache.dat kept");
        return;
    }
    try {
        ResetServerCache(cache);
        for (const ServerLine& server : list.servers)
            AddServer(cache, 3, server.address.c_str(), server.name.c_str(), services.resolver);
    } catch (const ServerCacheError&) {
        // The old cache and the stamp stay: the next run tries again.
        LogLine("server list: the new cache could not be built; servercache.dat kept");
        return;
    }
    if (cache.m_count3 > 0) {
        // The stamp says which list the file holds: a file that could not be
        // replaced (the game holds it, the disk is full) still holds the old
        // one, so the next start tries again.
        const bool replaced = services.cacheFile.Replace(ServerCacheFileBytes(cache));
        if (replaced)
            services.stamps.WriteStamp(list.stamp);
        LogLine("server list: " + std::to_string(cache.m_count3) + " of " +
                std::to_string(list.servers.size()) + " servers usable; servercache.dat " +
                (replaced ? "replaced" : "could not be replaced; tried again next start"));
    } else {
        LogLine("server list: none of its " + std::to_string(list.servers.size()) +
                " servers is usable; servercache.dat kept");
    }
}

bool FetchSignedServerList(SignedSource& source, const std::string& url, ServerList& list) {
    SignedCheck check = FetchSignedDocument(source, url, SignedKind::kServerList);
    if (check.verdict != SignedVerdict::kAccepted)
        return false;
    list.stamp = "signed " + std::to_string(check.document.sequence);
    for (SignedServerEntry& server : check.document.servers)
        list.servers.push_back({std::move(server.address), std::move(server.name)});
    return true;
}
