#include "serverlist/Win32ServerList.h"

#include <winsock2.h>
#include <windows.h>

#include "win/WholeFile.h"

#include <cstring>

namespace {

constexpr char kSection[] = "Orvintal";
constexpr char kKey[] = "serverlist";
constexpr char kCachePath[] = "servercache.dat";
constexpr char kCacheTemporary[] = "servercache.tmp";

} // namespace

std::string ProfileStampStore::ReadStamp() {
    char buffer[128] = {};
    ::GetPrivateProfileStringA(kSection, kKey, "", buffer, sizeof buffer, m_iniPath.c_str());
    return buffer;
}

void ProfileStampStore::WriteStamp(const std::string& stamp) {
    ::WritePrivateProfileStringA(kSection, kKey, stamp.c_str(), m_iniPath.c_str());
}

bool Win32ServerCacheFile::Exists() {
    return ::GetFileAttributesA(kCachePath) != INVALID_FILE_ATTRIBUTES;
}

bool Win32ServerCacheFile::Replace(const std::string& bytes) {
    return win::ReplaceWholeFile(kCachePath, kCacheTemporary, bytes);
}

WinsockResolver::WinsockResolver() {
    WSADATA data;
    m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockResolver::~WinsockResolver() {
    if (m_started)
        ::WSACleanup();
}

void WinsockResolver::ParseNumeric(const char* host, uint8_t ip[4]) {
    const unsigned long address = ::inet_addr(host);
    std::memcpy(ip, &address, 4);
}

bool WinsockResolver::LookupName(const char* host, uint8_t ip[4]) {
    const hostent* entry = ::gethostbyname(host);
    if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0])
        return false;
    std::memcpy(ip, entry->h_addr_list[0], 4);
    return true;
}
