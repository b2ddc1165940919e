// How the driver prints: one plain line per result, to stdout or to a served
// command's reply.

#pragma once

#include <string>

namespace driver {

// CR, LF and TAB become \r, \n, \t, so that a text stays on its line.
std::string escaped(const std::string& text);
std::string lowerAscii(std::string text);
std::string hex(const void* handle);

// Lines go to this string instead of stdout while it is set (see serve).
extern std::string* g_output;

void printLine(const std::string& line);

} // namespace driver
