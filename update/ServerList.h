#pragma once

#include "update/NetAddress.h"
#include "update/ServerCache.h"
#include "update/TextFetch.h"

#include <string>
#include <string_view>
#include <vector>

// One usable line of the community's server list: ADDRESS "|" NAME.
struct ServerLine {
    std::string address;
    std::string name;
};

struct ServerList {
    std::string stamp; // the first line; empty when the text has no "\n"
    std::vector<ServerLine> servers;
};

// Reads "/INFO/serverlist.inf". Lines without an address or a name are skipped.
ServerList ParseServerList(std::string_view text);

// The stamp of the last list written, kept in "vemor.ini".
class IStampStore {
public:
    // At most 127 characters come back; "" when none is stored.
    virtual std::string ReadStamp() = 0;
    virtual void WriteStamp(const std::string& stamp) = 0;

protected:
    ~IStampStore() = default;
};

struct ServerListServices {
    ITextFetch& http;
    IStampStore& stamps;
    IHostResolver& resolver;
    std::string listUrl;
    std::string cachePath; // "servercache.dat" in the game folder
};

// Rebuilds the game's server cache when the list's stamp differs from the
// stored one or the cache file is missing. A failed fetch changes nothing: the
// player keeps the servers of the last good list.
void RefreshServerList(ServerCache& cache, ServerListServices& services);
