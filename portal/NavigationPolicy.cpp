#include "portal/NavigationPolicy.h"

#include <cstring>

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// URL schemes are case-insensitive; the rest of the address is not looked at.
bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (LowerAscii(text[i]) != prefix[i])
            return false;
    }
    return true;
}

// Blanks, quotes and control characters never occur in an address the
// browser has parsed (it escapes them); in a target they could split the
// command line of the program that the system starts for the address. A
// backslash lets the system read "http:\\host\share" style text as a path.
bool HasUnsafeCharacter(const std::string& url) {
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7F || c == '"' || c == '\\')
            return true;
    }
    return false;
}

// "http://localhost" counts only as the whole host name: followed by a port,
// a path, a query, a fragment or nothing. "http://localhost.example.org/"
// and "http://localhost@example.org/" (a user name before another host) are
// other hosts.
bool IsLocalAddress(const std::string& url) {
    static const char kLocal[] = "http://localhost";
    const std::size_t n = sizeof kLocal - 1;
    if (!StartsWith(url, kLocal))
        return false;
    return url.size() == n || std::string(":/?#").find(url[n]) != std::string::npos;
}

} // namespace

bool IsSafeExternalTarget(const std::string& url) {
    if (HasUnsafeCharacter(url))
        return false;
    if (url.size() == std::strlen("about:blank") && StartsWithNoCase(url, "about:blank"))
        return true;
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://") ||
           StartsWithNoCase(url, "mailto:");
}

NavigationDecision DecideNavigation(const std::string& url, bool linkPolicy) {
    if (!linkPolicy)
        return NavigationDecision::kStayInView;
    // Case-sensitive tests of the text: the portal page relies on '#'
    // addresses for everything that must stay in the launcher window.
    if (IsLocalAddress(url) || StartsWith(url, "res://") || url.find('#') != std::string::npos)
        return NavigationDecision::kStayInView;
    return IsSafeExternalTarget(url) ? NavigationDecision::kOpenExternally
                                     : NavigationDecision::kRefuse;
}

NavigationDecision DecideNewWindow(const std::string* url) {
    return url && IsSafeExternalTarget(*url) ? NavigationDecision::kOpenExternally
                                             : NavigationDecision::kRefuse;
}
