#pragma once

#include <string>

// The text of one URL: at most its first 10000 bytes. False (and an empty
// text) when the server could not be reached or did not answer with success.
class ITextFetch {
public:
    virtual bool Fetch(const std::string& url, std::string& text) = 0;

protected:
    ~ITextFetch() = default;
};
