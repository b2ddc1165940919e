#include "portal/PortalFrame.h"

#include "win/WindowClass.h"

namespace {

const char kFrameClass[] = "VemorPortalFrame";
// The view is the frame's first pane, as the framework numbers them.
const int kViewId = 0xE900;

} // namespace

std::unique_ptr<PortalFrame> PortalFrame::Create(HWND dialog, IHTMLViewListener* listener) {
    if (!win::EnsureWindowClass(kFrameClass, &PortalFrame::WindowProc))
        return nullptr;
    std::unique_ptr<PortalFrame> frame(new PortalFrame);
    HWND hwnd = ::CreateWindowExA(0, kFrameClass, "", WS_CHILD | WS_CLIPCHILDREN, 10, 10, 190, 290,
                                  dialog, nullptr, ::GetModuleHandleA(nullptr), frame.get());
    if (!hwnd)
        return nullptr;
    RECT client;
    ::GetClientRect(hwnd, &client);
    if (!frame->m_view.Create(hwnd, client, kViewId))
        return nullptr;
    frame->m_view.SetListener(listener);
    return frame;
}

PortalFrame::~PortalFrame() {
    // The view's window goes with the frame's; the view releases the
    // control as its window is destroyed.
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK PortalFrame::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        static_cast<PortalFrame*>(create->lpCreateParams)->Attach(hwnd);
    }
    auto* frame = static_cast<PortalFrame*>(FromHandle(hwnd));
    if (frame) {
        if (msg == WM_SIZE && frame->m_view.GetSafeHwnd()) {
            ::MoveWindow(frame->m_view.GetSafeHwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        }
        if (msg == WM_NCDESTROY)
            frame->Detach();
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}
