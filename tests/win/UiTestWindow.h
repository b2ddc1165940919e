#pragma once

#include <windows.h>

namespace uitest {

// A plain top-level window painted in one colour, which reflects drawing and
// control-colour requests to its children's objects as a dialog of ours does.
class HostWindow {
public:
    HostWindow(COLORREF background, int width, int height);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Get() const { return m_hwnd; }
    HWND AddChild(const char* className, DWORD style, int x, int y, int width, int height, int id);
    int Clicks() const { return m_clicks; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    HBRUSH m_brush;
    int m_clicks = 0;
};

void Pump();
COLORREF PixelAt(HWND hwnd, int x, int y);

} // namespace uitest
