#include "portal/PortalFrame.h"

namespace {

const char kFrameClass[] = "VemorPortalFrame";
// The view is the frame's first pane, as the framework numbers them.
const int kViewId = 0xE900;

} // namespace

std::unique_ptr<PortalFrame> PortalFrame::Create(HWND dialog, IHTMLViewListener* listener) {
    std::unique_ptr<PortalFrame> frame(new PortalFrame);
    const RECT rect = {10, 10, 200, 300};
    if (!frame->CreateChild(kFrameClass, dialog, WS_CLIPCHILDREN, rect, 0))
        return nullptr;
    RECT client;
    ::GetClientRect(frame->m_hWnd, &client);
    if (!frame->m_view.Create(frame->m_hWnd, client, kViewId))
        return nullptr;
    frame->m_view.SetListener(listener);
    return frame;
}

// The view's window goes with the frame's, and the view releases the
// control as its window is destroyed.
bool PortalFrame::OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_SIZE || !m_view.GetSafeHwnd())
        return false;
    ::MoveWindow(m_view.GetSafeHwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    result = 0;
    return true;
}
