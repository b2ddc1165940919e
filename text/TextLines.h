#pragma once

#include <string_view>
#include <vector>

// The portal's texts (manifest and server list) end their lines with CR LF.
// Of every line followed by "\n" the last character is dropped unseen (the
// CR); the text after the last "\n" is kept whole. hasLineEnd tells whether
// the text held any "\n" at all: without one there is no header line.
// cut tells that the text went on beyond the limit: its last line was cut
// there and is left out, since a cut line can mean something else entirely
// ("a.cfg.bak" cut to "a.cfg").
struct PortalLines {
    std::vector<std::string_view> lines;
    bool hasLineEnd = false;
    bool cut = false;
};

// Only the first limit bytes of a fetched text count (10000 for the server
// list), and it ends at its first NUL byte, as the fetch hands it over as a C
// string. A fetch hands over one byte more when the text has more, so that a
// cut can be told from a text that ends at the limit.
constexpr size_t kPortalTextLimit = 10000;

PortalLines SplitPortalLines(std::string_view text, size_t limit = kPortalTextLimit);
