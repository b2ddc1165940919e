#include "update/TextLines.h"

PortalLines SplitPortalLines(std::string_view text) {
    text = text.substr(0, kPortalTextLimit);
    text = text.substr(0, text.find('\0'));
    PortalLines result;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
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
