#pragma once

#include <optional>
#include <string>

// The portal web server as the build names it (VEMOR_PORTAL_HOST): "host",
// "host:port", "http://host[:port]" or "https://host[:port]", with at most
// one "/" after it (as a browser's address bar shows it). A bare host is
// plain HTTP. The manifest, the server list, the signed documents and the
// portal page all use its scheme and port.
struct PortalServer {
    bool secure = false;
    std::string host;
    // As written; empty for the scheme's own port.
    std::string port;

    // "https://host:port" + path, the path beginning with "/".
    std::string Url(const std::string& path) const;
};

// Anything else (another scheme, a user name, a path, a query, a port outside
// 1..65535, blanks) is no portal address: the build refuses it when it is
// configured, so a launcher never holds one.
std::optional<PortalServer> ParsePortalServer(const std::string& setting);

// The address of a document on the portal of that setting; empty for a
// setting that is no portal address, which no fetch can reach.
std::string PortalUrl(const std::string& setting, const std::string& path);

// The portal page of a language: "/tabs.php?lang=" and the language, escaped
// as a query value, on the portal of that setting. The language comes back
// from the page itself (get_lang) and is stored in "cookie.dat", so it may
// hold anything; escaped, it can neither end the query (a '#' or '&') nor
// change the address (blanks, control characters, '%'). Language codes made
// of letters, digits and '-' ("en", "ru", "pt-BR") are appended unchanged.
std::string PortalAddress(const std::string& setting, const std::string& lang);

// Percent-escapes every byte except ASCII letters, digits and "-._~".
std::string EscapeQueryValue(const std::string& value);
