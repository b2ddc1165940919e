#include "net/HttpRedirect.h"

#include <algorithm>
#include <cstring>

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The scheme as lower-case text with its "://" ("http://", "https://"), or
// empty when the address does not begin with one of the two.
std::string WebScheme(const std::string& url) {
    for (const char* scheme : {"http://", "https://"}) {
        const size_t n = std::strlen(scheme);
        if (url.size() < n)
            continue;
        size_t i = 0;
        while (i < n && LowerAscii(url[i]) == scheme[i])
            ++i;
        if (i == n)
            return scheme;
    }
    return std::string();
}

// A scheme of any kind ("ftp:", "file:", "javascript:") before the first
// '/', '?' or '#'.
bool HasScheme(const std::string& url) {
    const size_t colon = url.find(':');
    return colon != std::string::npos && colon > 0 && url.find_first_of("/?#") > colon;
}

// Blanks and control characters cannot be in an address a server means;
// a backslash makes WinINet read the text its own way.
bool HasUnsafeCharacter(const std::string& text) {
    for (unsigned char c : text) {
        if (c <= 0x20 || c == 0x7F || c == '\\')
            return true;
    }
    return false;
}

} // namespace

bool IsRedirectStatus(unsigned long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

RedirectDecision DecideRedirect(const std::string& from, const std::string& location,
                                std::string& target) {
    target.clear();
    std::string next = location.substr(0, location.find('#'));
    const std::string fromScheme = WebScheme(from);
    if (next.empty() || HasUnsafeCharacter(next) || fromScheme.empty())
        return RedirectDecision::kRefusedTarget;

    const size_t authority = fromScheme.size();
    const size_t pathStart = std::min(from.find_first_of("/?#", authority), from.size());
    const std::string origin = from.substr(0, pathStart);
    std::string scheme = WebScheme(next);
    if (!scheme.empty()) {
        next = scheme + next.substr(scheme.size());
    } else if (next.compare(0, 2, "//") == 0) {
        scheme = fromScheme;
        next = fromScheme + next.substr(2);
    } else if (HasScheme(next)) {
        return RedirectDecision::kRefusedTarget;
    } else {
        scheme = fromScheme;
        const std::string fromPath =
            from.substr(pathStart, from.find_first_of("?#", pathStart) - pathStart);
        if (next[0] == '/')
            next = origin + next;
        else if (next[0] == '?')
            next = origin + (fromPath.empty() ? "/" : fromPath) + next;
        else
            next = origin + fromPath.substr(0, fromPath.rfind('/') + 1) +
                   (fromPath.empty() ? "/" : "") + next;
    }
    if (std::min(next.find_first_of("/?", scheme.size()), next.size()) == scheme.size())
        return RedirectDecision::kRefusedTarget; // no host
    target = next;
    if (fromScheme == "https://" && scheme == "http://")
        return RedirectDecision::kRefusedDowngrade;
    return RedirectDecision::kFollow;
}
