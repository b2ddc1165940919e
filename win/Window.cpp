#include "win/Window.h"

namespace win {

namespace {

const char kObjectProperty[] = "VemorWindowObject";

bool IsDialogWindow(HWND hwnd) {
    char name[16] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

} // namespace

Window::~Window() {
    Detach();
}

Window* Window::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Window*>(::GetPropA(hwnd, kObjectProperty)) : nullptr;
}

bool Window::PreTranslateMessage(MSG&) {
    return false;
}

bool Window::PreTranslateChain(MSG& msg) {
    HWND hwnd = msg.hwnd;
    while (hwnd) {
        if (Window* window = FromHandle(hwnd)) {
            if (window->PreTranslateMessage(msg))
                return true;
        }
        if ((::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0)
            break;
        hwnd = ::GetParent(hwnd);
    }
    // hwnd is now the top-level window: let a dialog handle Tab, Enter and Escape.
    return hwnd && IsDialogWindow(hwnd) && ::IsDialogMessageA(hwnd, &msg);
}

void Window::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropA(hwnd, kObjectProperty, this);
}

void Window::Detach() {
    if (m_hWnd && FromHandle(m_hWnd) == this)
        ::RemovePropA(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

} // namespace win
