#include "text/GamePath.h"

#include <cctype>
#include <string>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// CON, NUL, COM1 and their kin open a device wherever they appear, whatever
// extension follows ("nul.txt", "maps\\aux.pk3").
bool IsReservedDeviceName(std::string_view component) {
    std::string base = Upper(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool IsUsableComponent(std::string_view component) {
    // An empty component is what rooted paths ("\\Windows\\win.ini", "/x"),
    // shares ("\\\\host\\share"), the device and namespace forms ("\\\\.\\",
    // "\\\\?\\") and a trailing separator all have.
    if (component.empty() || component == ".")
        return component == ".";
    // Windows strips trailing dots and blanks, so "a.pk3." would land on "a.pk3"
    // while its check and its download looked at another name.
    const char last = component.back();
    if (last == '.' || last == ' ')
        return false;
    for (char c : component) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '<' || c == '>' || c == '"' || c == '?' || c == '*' || c == '|')
            return false;
    }
    return !IsReservedDeviceName(component);
}

} // namespace

bool IsInsideGameFolder(std::string_view path) {
    if (path.find(':') != std::string_view::npos || path.find("..") != std::string_view::npos)
        return false;
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        if (!IsUsableComponent(path.substr(start, end - start)))
            return false;
        if (end == path.size())
            return true;
        start = end + 1;
    }
}
