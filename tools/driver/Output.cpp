#include "Output.h"

#include <cstdint>
#include <cstdio>

namespace driver {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string hex(const void* handle) {
    unsigned long long value = reinterpret_cast<uintptr_t>(handle);
    const char digits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "0x" + out;
}

std::string* g_output = nullptr;

void printLine(const std::string& line) {
    std::string withEnd = line + "\n";
    if (g_output) {
        *g_output += withEnd;
        return;
    }
    fwrite(withEnd.data(), 1, withEnd.size(), stdout);
    fflush(stdout);
}

} // namespace driver
