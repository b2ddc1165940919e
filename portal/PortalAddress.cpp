#include "portal/PortalAddress.h"

#include "text/Numbers.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHostCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '.' || c == '-';
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

bool TakePrefix(std::string& text, const char* prefix) {
    const std::string p(prefix);
    if (text.compare(0, p.size(), p) != 0)
        return false;
    text.erase(0, p.size());
    return true;
}

// 1 to 65535, at most five digits ("08080" is 8080).
bool ReadPort(const std::string& text, uint64_t& port) {
    return text.size() <= 5 && ParseDecimal(text, 65535, port, LeadingZeros::kAllowed) && port >= 1;
}

} // namespace

std::string PortalServer::Url(const std::string& path) const {
    return (secure ? "https://" : "http://") + host + (port.empty() ? "" : ":" + port) + path;
}

std::optional<PortalServer> ParsePortalServer(const std::string& setting) {
    std::string rest = setting;
    PortalServer server;
    if (TakePrefix(rest, "https://"))
        server.secure = true;
    else
        TakePrefix(rest, "http://");
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    const size_t colon = rest.find(':');
    server.host = rest.substr(0, colon);
    if (server.host.empty())
        return std::nullopt;
    for (char c : server.host) {
        if (!IsHostCharacter(c))
            return std::nullopt;
    }
    if (colon != std::string::npos) {
        uint64_t port = 0;
        if (!ReadPort(rest.substr(colon + 1), port))
            return std::nullopt;
        server.port = std::to_string(port);
    }
    return server;
}

std::string PortalUrl(const std::string& setting, const std::string& path) {
    const std::optional<PortalServer> server = ParsePortalServer(setting);
    return server ? server->Url(path) : std::string();
}

std::string EscapeQueryValue(const std::string& value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (unsigned char c : value) {
        if (IsUnreserved(c)) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += UpperHexDigit(c >> 4);
            escaped += UpperHexDigit(c & 0x0F);
        }
    }
    return escaped;
}

std::string PortalAddress(const std::string& setting, const std::string& lang) {
    return PortalUrl(setting, "/tabs.php?lang=" + EscapeQueryValue(lang));
}
