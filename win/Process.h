#pragma once

#include <windows.h>

#include <string>

namespace win {

// Starts a program and closes the system's handles to it; with waitForExit it
// first waits until the program has ended. False when it could not be started,
// with the reason left in GetLastError.
bool RunProcess(const char* application, const std::string& commandLine, DWORD creationFlags,
                bool waitForExit);

} // namespace win
