#pragma once

#include "text/ReadOutcome.h"

#include <cstddef>
#include <string>

// The file "cookie.dat" in the current directory, as the account record
// needs it: read from its start, and replaced as a whole.
class ICookieFile {
public:
    virtual ~ICookieFile() = default;
    virtual ReadOutcome ReadStart(std::string& bytes, size_t limit) = 0;
    // Puts `bytes` in place of the file, or, when that cannot be done, leaves
    // the file exactly as it was.
    virtual void Replace(const std::string& bytes) = 0;
};
