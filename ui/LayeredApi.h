#pragma once

#include <windows.h>

namespace ui {

// The layered-window functions, looked up in User32 at run time so that the
// program still starts on a system without them; there the call is skipped
// and false returned.
bool CallSetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags);
bool CallUpdateLayeredWindow(HWND hwnd, HDC screen, POINT* destination, SIZE* size, HDC source,
                             POINT* sourcePoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags);

} // namespace ui
