#pragma once

#include "net/ITextFetch.h"
#include "win/Internet.h"

#include <string>

// Which updates the launcher takes: the plain manifest and server list, or,
// when it was built with the community's key, only the signed documents.
enum class UpdateMode { kPlain, kSigned };

// The user agent of the launcher's requests, "vemor/<version> (plain)" or
// "(signed)": the community's kit tells from it which players still run an
// old launcher.
std::string LauncherUserAgent(UpdateMode mode);

// Fetches the text of one URL from the portal web server over WinINet:
// always from the server, never from the cache, at most the limit asked for.
// A server that stays silent for the stall time-out fails the fetch, and so
// does one whose answer takes longer than the deadline as a whole (a trickle
// of a byte now and then would otherwise hold the run for ever); tests pass
// short ones.
class HttpFetch : public ITextFetch, public IDocumentFetch {
public:
    static constexpr DWORD kDeadline = 60000;

    explicit HttpFetch(UpdateMode mode, DWORD stallTimeout = win::kStallTimeout,
                       DWORD deadline = kDeadline)
        : m_agent(LauncherUserAgent(mode)), m_stallTimeout(stallTimeout), m_deadline(deadline) {}
    bool Fetch(const std::string& url, size_t limit, std::string& text) override {
        return FetchDocument(url, limit, text);
    }
    bool FetchDocument(const std::string& url, size_t limit, std::string& text) override;

private:
    std::string m_agent;
    DWORD m_stallTimeout;
    DWORD m_deadline;
};
