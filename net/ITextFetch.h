#pragma once

#include "text/TextLines.h"

#include <string>

// The text of one URL: at most its first limit bytes, and one more when
// there are more. False (and an empty text) when the server could not be
// reached or did not answer with success.
class ITextFetch {
public:
    virtual bool Fetch(const std::string& url, size_t limit, std::string& text) = 0;

protected:
    ~ITextFetch() = default;
};

// The text of one URL up to limit bytes, and one byte more when there are
// more (so that an oversized document is told from a whole one). False (and
// an empty text) when the server could not be reached or did not answer with
// success.
class IDocumentFetch {
public:
    virtual bool FetchDocument(const std::string& url, size_t limit, std::string& text) = 0;

protected:
    ~IDocumentFetch() = default;
};

// Reads a response until its end or one byte past the limit (which tells the
// reader that the text was cut). One read may return fewer bytes
// than the server sent, so a single read could cut a text by chance.
// read(buffer, size) returns the bytes read, 0 at the end, -1 on an error;
// false (and an empty text) after an error.
// A signed document is read the same way with its own limit.
template <typename Read>
bool ReadPortalText(Read read, std::string& text, size_t limit = kPortalTextLimit) {
    std::string buffer(limit + 1, '\0');
    size_t total = 0;
    while (total < buffer.size()) {
        const long long got = read(&buffer[total], buffer.size() - total);
        if (got < 0) {
            text.clear();
            return false;
        }
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    buffer.resize(total);
    text = std::move(buffer);
    return true;
}
