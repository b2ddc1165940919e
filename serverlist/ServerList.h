#pragma once

#include "net/ITextFetch.h"
#include "serverlist/NetAddress.h"
#include "serverlist/ServerCache.h"

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

// The game's server cache file, "servercache.dat" in the game folder.
class IServerCacheFile {
public:
    // Whether the file exists; one that is locked or unreadable still does.
    virtual bool Exists() = 0;
    // Puts bytes in place of the file as a whole, or leaves it as it was.
    virtual bool Replace(const std::string& bytes) = 0;

protected:
    ~IServerCacheFile() = default;
};

struct SignedSource;

struct ServerListServices {
    ITextFetch& http;
    IStampStore& stamps;
    IHostResolver& resolver;
    IServerCacheFile& cacheFile;
    std::string listUrl;
    // Set in a launcher built with the community's key: listUrl is then the
    // signed list's, and nothing else is taken.
    SignedSource* signedSource = nullptr;
};

// Rebuilds the game's server cache when the list's stamp differs from the
// stored one or the cache file is missing. The new cache replaces the old one
// whole, and only when it holds at least one server: a list without a usable
// server (a maintenance page, say) or a failed fetch leaves the player the
// servers of the last good list, and a game started meanwhile never sees a
// missing or torn file.
void RefreshServerList(ServerCache& cache, ServerListServices& services);

// The signed server list at url; false (and the cache stays as it is) unless
// it was accepted. Its stamp is "signed " and its sequence.
bool FetchSignedServerList(SignedSource& source, const std::string& url, ServerList& list);
