#pragma once

#include <string>

// What a fetch of the launcher's own documents (manifest, server list,
// signed documents) does with a redirect. It follows one only where the
// connection stays as safe or becomes safer: from HTTP to HTTPS (hosts that
// force HTTPS answer every http:// address so), from HTTPS to HTTPS, from
// HTTP to HTTP. From HTTPS to plain HTTP it never goes: the build asked for
// HTTPS, and a redirect must not take that away.
enum class RedirectDecision {
    kFollow,
    kRefusedDowngrade, // from HTTPS to plain HTTP
    kRefusedTarget,    // no http or https address, or none at all
};

// 301, 302, 303, 307 and 308: the answers that send a GET elsewhere.
bool IsRedirectStatus(unsigned long status);

// At most this many redirects per fetch; a server that sends more (a loop)
// fails the fetch.
constexpr int kMaxRedirects = 5;

// The address that the Location of an answer to `from` names (absolute,
// "//host/path", "/path", "?query" or a path relative to from's folder),
// without its fragment, and whether to go there. target is empty unless
// the decision is kFollow or kRefusedDowngrade.
RedirectDecision DecideRedirect(const std::string& from, const std::string& location,
                                std::string& target);
