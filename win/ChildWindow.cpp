#include "win/ChildWindow.h"

namespace win {

namespace {

bool EnsureWindowClass(const char* name, WNDPROC proc) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExA(instance, name, &wc))
        return true;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return ::RegisterClassExA(&wc) != 0;
}

} // namespace

ChildWindow::~ChildWindow() {
    DestroyChild();
}

bool ChildWindow::CreateChild(const char* className, HWND parent, DWORD style, const RECT& rect,
                              int id) {
    if (!EnsureWindowClass(className, &ChildWindow::WindowProc))
        return false;
    return ::CreateWindowExA(0, className, "", WS_CHILD | style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleA(nullptr), this) != nullptr;
}

void ChildWindow::DestroyChild() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

bool ChildWindow::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT CALLBACK ChildWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        static_cast<ChildWindow*>(create->lpCreateParams)->Attach(hwnd);
    }
    if (auto* window = static_cast<ChildWindow*>(FromHandle(hwnd))) {
        LRESULT result = 0;
        if (Guarded([&] { return window->OnMessage(msg, wParam, lParam, result); }))
            return result;
        if (msg == WM_NCDESTROY)
            window->Detach();
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace win
