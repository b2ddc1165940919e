#pragma once

#include "identity/ICookieFile.h"

// "cookie.dat" on disk. A new content is written to "cookie.tmp" beside it
// and moved into place, so neither a process that ends half-way nor a full
// disk leaves a torn file behind.
class Win32CookieFile : public ICookieFile {
public:
    ReadOutcome ReadStart(std::string& bytes, size_t limit) override;
    void Replace(const std::string& bytes) override;
};
