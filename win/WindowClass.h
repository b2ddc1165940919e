#pragma once

#include <windows.h>

namespace win {

// Registers a plain window class of this module under name, once per
// process; later calls with the same name find it registered. False when
// the system refused the class.
bool EnsureWindowClass(const char* name, WNDPROC proc);

} // namespace win
