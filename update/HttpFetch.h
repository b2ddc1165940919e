#pragma once

#include "update/SignedUpdate.h"
#include "update/ITextFetch.h"
#include "win/Internet.h"

// Fetches the text of one URL from the portal web server over WinINet:
// always from the server, never from the cache, at most 10000 bytes (a
// signed document: at most its own limit). A
// server that stays silent for the stall time-out fails the fetch; tests
// pass a short one.
class HttpFetch : public ITextFetch, public IDocumentFetch {
public:
    explicit HttpFetch(DWORD stallTimeout = win::kStallTimeout) : m_stallTimeout(stallTimeout) {}
    bool Fetch(const std::string& url, std::string& text) override {
        return FetchDocument(url, kPortalTextLimit, text);
    }
    bool FetchDocument(const std::string& url, size_t limit, std::string& text) override;

private:
    DWORD m_stallTimeout;
};
