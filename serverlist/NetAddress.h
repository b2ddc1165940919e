#pragma once

#include <cstdint>

// A server address as the game stores it in its server cache (20 bytes).
enum NetAddressType : uint32_t {
    kAddressBad = 1,
    kAddressLoopback = 2,
    kAddressIp = 4,
    kAddressIpx = 5,
};

struct NetAddress {
    uint32_t type;
    uint8_t ip[4];   // network order: a, b, c, d
    uint8_t ipx[10]; // network number (4 bytes), then node number (6 bytes)
    uint8_t port[2]; // big-endian
};
static_assert(sizeof(NetAddress) == 20, "the game's address record");

// Name resolution, behind a seam so that the parsing can be tested anywhere.
class IHostResolver {
public:
    // The four bytes of a numeric address as inet_addr reads it;
    // 255.255.255.255 when the text is not one.
    virtual void ParseNumeric(const char* host, uint8_t ip[4]) = 0;
    // The first IPv4 address of a host name; false when it has none.
    virtual bool LookupName(const char* host, uint8_t ip[4]) = 0;

protected:
    ~IHostResolver() = default;
};

// The port a server line without one gets.
constexpr uint16_t kDefaultServerPort = 29070;

// HOST alone: an IPX address (8 hex digits, ".", 12 hex digits), a numeric
// address (first character a digit) or a host name. The address starts zeroed.
bool ResolveHost(const char* host, NetAddress& address, IHostResolver& resolver);

// "localhost", HOST or HOST ":" PORT. False (and type bad) when unusable.
bool ParseNetAddress(const char* text, NetAddress& address, IHostResolver& resolver);

bool SameAddress(const NetAddress& a, const NetAddress& b);
