#pragma once

#include "serverlist/NetAddress.h"
#include "serverlist/ServerList.h"

#include <string>

// The stamp of the last server list, section "Orvintal", key "serverlist" of
// the settings file.
class ProfileStampStore : public IStampStore {
public:
    explicit ProfileStampStore(std::string iniPath) : m_iniPath(std::move(iniPath)) {}
    std::string ReadStamp() override;
    void WriteStamp(const std::string& stamp) override;

private:
    std::string m_iniPath;
};

// "servercache.dat" in the current directory (the game folder), replaced
// through "servercache.tmp" beside it.
class Win32ServerCacheFile : public IServerCacheFile {
public:
    bool Exists() override;
    bool Replace(const std::string& bytes) override;
};

// Winsock's inet_addr and gethostbyname; the socket library is started for
// the resolver's lifetime.
class WinsockResolver : public IHostResolver {
public:
    WinsockResolver();
    ~WinsockResolver();
    WinsockResolver(const WinsockResolver&) = delete;
    WinsockResolver& operator=(const WinsockResolver&) = delete;

    void ParseNumeric(const char* host, uint8_t ip[4]) override;
    bool LookupName(const char* host, uint8_t ip[4]) override;

private:
    bool m_started;
};
