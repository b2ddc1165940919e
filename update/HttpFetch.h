#pragma once

#include "update/TextFetch.h"

// Fetches the text of one URL from the portal web server over WinINet:
// always from the server, never from the cache, at most 10000 bytes.
class HttpFetch : public ITextFetch {
public:
    bool Fetch(const std::string& url, std::string& text) override;
};
