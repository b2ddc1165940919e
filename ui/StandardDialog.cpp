#include "ui/StandardDialog.h"

#include "ui/LayeredApi.h"
#include "win/Control.h"

namespace ui {

CStandardDialog::CStandardDialog(UINT templateId, COLORREF colorKey, win::Window* parent)
    : win::Dialog(templateId), m_colorKey(colorKey), m_pParent(parent) {}

CStandardDialog::~CStandardDialog() = default;

bool CStandardDialog::Create() {
    return win::Dialog::Create(m_pParent ? m_pParent->GetSafeHwnd() : nullptr);
}

BOOL CStandardDialog::OnInitDialog() {
    win::Dialog::OnInitDialog();
    m_brush.Reset(::CreateSolidBrush(m_colorKey));
    const LONG exStyle = ::GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    CallSetLayeredWindowAttributes(m_hWnd, m_colorKey, 0, LWA_COLORKEY);
    return TRUE;
}

void CStandardDialog::CloseParent() {
    m_bClosingWithParent = true;
    if (HWND parent = ::GetParent(m_hWnd))
        ::SendMessageA(parent, WM_CLOSE, 0, 0);
}

void CStandardDialog::OnOK() {
    CloseParent();
    win::Dialog::OnOK();
}

void CStandardDialog::OnCancel() {
    CloseParent();
    win::Dialog::OnCancel();
}

void CStandardDialog::CloseWithParent(int result) {
    CloseParent();
    EndDialog(result);
}

void CStandardDialog::OnClose() {}

bool CStandardDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<LRESULT>(m_brush.Get());
        return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
        // A child's object answers its own drawing and colour requests; a
        // control-colour answer without a brush leaves the default in force.
        return win::Control::Reflect(msg, wParam, lParam, result) &&
               (msg == WM_DRAWITEM || result != 0);
    case WM_CLOSE:
        // Alt+F4 on the popup: the player's close, like the frame's.
        RequestClose();
        result = 0;
        return true;
    default:
        return false;
    }
}

} // namespace ui
