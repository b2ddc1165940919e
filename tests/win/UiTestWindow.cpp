#include "UiTestWindow.h"

#include "win/Control.h"
#include "win/Gdi.h"

namespace uitest {

HostWindow::HostWindow(COLORREF background, int width, int height)
    : m_brush(::CreateSolidBrush(background)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &HostWindow::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VemorUiTestHost";
    ::RegisterClassA(&wc);
    m_hwnd = ::CreateWindowExA(0, "VemorUiTestHost", "host", WS_POPUP | WS_VISIBLE, 40, 40, width,
                               height, nullptr, nullptr, wc.hInstance, this);
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump();
}

HostWindow::~HostWindow() {
    ::DestroyWindow(m_hwnd);
    ::DeleteObject(m_brush);
}

HWND HostWindow::AddChild(const char* className, DWORD style, int x, int y, int width, int height,
                          int id) {
    return ::CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                             m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK HostWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (self) {
        if (msg == WM_ERASEBKGND) {
            RECT r;
            ::GetClientRect(hwnd, &r);
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, self->m_brush);
            return 1;
        }
        if (msg == WM_COMMAND) {
            self->m_clicks += HIWORD(wParam) == BN_CLICKED;
            return 0;
        }
        if ((msg == WM_DRAWITEM || msg == WM_CTLCOLORBTN) &&
            win::Control::Reflect(msg, wParam, lParam, result) &&
            (msg == WM_DRAWITEM || result != 0))
            return result;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!win::Window::PreTranslateChain(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

COLORREF PixelAt(HWND hwnd, int x, int y) {
    ::UpdateWindow(hwnd);
    win::ClientDC dc(hwnd);
    return ::GetPixel(dc.Get(), x, y);
}

} // namespace uitest
