#pragma once

#include <windows.h>

#include <string>

namespace win {

// The system's text for an error code, without its line end; empty when the
// system has none. module: a module whose own message table describes the
// code (WinINet's, for its 12000 codes); null for the system's table.
std::string SystemMessage(DWORD code, HMODULE module = nullptr);

} // namespace win
