#include "serverlist/NetAddress.h"

#include "text/Numbers.h"

#include <climits>
#include <cstring>
#include <string>

namespace {

// A group that is not two hexadecimal digits makes the whole IPX address
// unusable rather than storing a byte nobody wrote.
bool ReadIpx(const char* host, uint8_t ipx[10]) {
    static const int kGroups[10] = {0, 2, 4, 6, 9, 11, 13, 15, 17, 19};
    for (int g = 0; g < 10; ++g) {
        const int high = HexDigitValue(host[kGroups[g]], HexLetters::kAnyCase);
        const int low = HexDigitValue(host[kGroups[g] + 1], HexLetters::kAnyCase);
        if (high < 0 || low < 0)
            return false;
        ipx[g] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

// atoi without its undefined overflow: out-of-range values saturate.
int ReadPort(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // Held at 2^31, the magnitude of INT_MIN: beyond it either end saturates.
    const uint64_t magnitude = ReadDecimalDigits(text, uint64_t{INT_MAX} + 1);
    const long long value =
        negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

void MarkBad(NetAddress& address) {
    std::memset(&address, 0, sizeof address);
    address.type = kAddressBad;
}

} // namespace

bool ResolveHost(const char* host, NetAddress& address, IHostResolver& resolver) {
    std::memset(&address, 0, sizeof address);
    if (std::strlen(host) == 21 && host[8] == '.') {
        address.type = kAddressIpx;
        return ReadIpx(host, address.ipx);
    }
    if (host[0] >= '0' && host[0] <= '9') {
        address.type = kAddressIp;
        resolver.ParseNumeric(host, address.ip);
        return true;
    }
    if (!resolver.LookupName(host, address.ip))
        return false;
    address.type = kAddressIp;
    return true;
}

bool ParseNetAddress(const char* text, NetAddress& address, IHostResolver& resolver) {
    if (std::strcmp(text, "localhost") == 0) {
        std::memset(&address, 0, sizeof address);
        address.type = kAddressLoopback;
        return true;
    }
    std::string host(text, strnlen(text, 1023));
    const char* portText = nullptr;
    const size_t colon = host.find(':');
    std::string portPart;
    if (colon != std::string::npos) {
        portPart = host.substr(colon + 1);
        host.resize(colon);
        portText = portPart.c_str();
    }
    if (!ResolveHost(host.c_str(), address, resolver)) {
        MarkBad(address);
        return false;
    }
    // What an invalid numeric address gives: it is stored with its bytes as
    // they are, only its type marks it unusable.
    if (address.type == kAddressIp && address.ip[0] == 255 && address.ip[1] == 255 &&
        address.ip[2] == 255 && address.ip[3] == 255) {
        address.type = kAddressBad;
        return false;
    }
    const auto port = static_cast<uint16_t>(
        portText ? static_cast<unsigned>(ReadPort(portText)) & 0xFFFFu : kDefaultServerPort);
    address.port[0] = static_cast<uint8_t>(port >> 8);
    address.port[1] = static_cast<uint8_t>(port & 0xFF);
    return true;
}

bool SameAddress(const NetAddress& a, const NetAddress& b) {
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case kAddressLoopback:
        return true;
    case kAddressIp:
        return std::memcmp(a.ip, b.ip, 4) == 0 && std::memcmp(a.port, b.port, 2) == 0;
    case kAddressIpx:
        return std::memcmp(a.ipx, b.ipx, 10) == 0 && std::memcmp(a.port, b.port, 2) == 0;
    default:
        return false;
    }
}
