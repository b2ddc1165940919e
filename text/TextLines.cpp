#include "text/TextLines.h"

#include <algorithm>

PortalLines SplitPortalLines(std::string_view text, size_t limit) {
    PortalLines result;
    const size_t nul = text.find('\0');
    result.cut = text.size() > limit && nul >= limit;
    text = text.substr(0, std::min(limit, nul));
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            if (!result.cut)
                result.lines.push_back(text.substr(start));
            return result;
        }
        result.hasLineEnd = true;
        std::string_view line = text.substr(start, end - start);
        if (!line.empty())
            line.remove_suffix(1);
        result.lines.push_back(line);
        start = end + 1;
    }
}
