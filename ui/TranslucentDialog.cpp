#include "ui/TranslucentDialog.h"

#include "ui/FrameLayout.h"
#include "ui/GdiPlusBitmap.h"
#include "ui/LayeredApi.h"
#include "win/Gdi.h"

#include <windowsx.h>

namespace ui {

namespace {

const BLENDFUNCTION kSkinBlend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

} // namespace

CTranslucentDialog::CTranslucentDialog(UINT templateId, UINT imageId, LPCSTR imageType,
                                       HMODULE module)
    : win::Dialog(templateId), m_blend(kSkinBlend),
      m_pImage(LoadImageFromResource(imageId & 0xFFFF, imageType, module)) {}

CTranslucentDialog::~CTranslucentDialog() = default;

int CTranslucentDialog::SkinWidth() const {
    return m_pImage ? static_cast<int>(m_pImage->GetWidth()) : 0;
}

int CTranslucentDialog::SkinHeight() const {
    return m_pImage ? static_cast<int>(m_pImage->GetHeight()) : 0;
}

// The dialog manager gives our dialog procedure no WM_CREATE (the object is
// known only from WM_INITDIALOG on), so the creation steps run at the start
// of initialisation, before anything else of the frame happens.
void CTranslucentDialog::OnCreate() {
    LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_CAPTION)) | static_cast<LONG_PTR>(WS_POPUP);
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style);

    RECT created;
    ::GetWindowRect(m_hWnd, &created);
    int x = created.left;
    int y = created.top;
    if (m_bCenter) {
        RECT skin = {0, 0, SkinWidth(), SkinHeight()};
        ::AdjustWindowRect(&skin, static_cast<DWORD>(style), FALSE);
        RECT area = {};
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        x = CenterIn(area.left, area.right - area.left, skin.right - skin.left);
        y = CenterIn(area.top, area.bottom - area.top, skin.bottom - skin.top);
    }

    m_pChild = CreateChildDialog();
    if (m_pChild && m_pChild->Create())
        ::ShowWindow(m_pChild->GetSafeHwnd(), SW_SHOW);
    if (m_width == 0 || m_height == 0) {
        m_width = SkinWidth();
        m_height = SkinHeight();
    }
    ::MoveWindow(m_hWnd, x, y, m_width, m_height, TRUE);
}

BOOL CTranslucentDialog::OnInitDialog() {
    OnCreate();
    win::Dialog::OnInitDialog();
    m_blend = kSkinBlend;
    OnInitTranslucent();
    UpdateLayered();
    return TRUE;
}

void CTranslucentDialog::SetSizeAndCenter(int cx, int cy) {
    m_width = cx;
    m_height = cy;
    if (!m_pChild)
        return;
    const Placement place =
        CenterOnScreen(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), cx, cy);
    ::MoveWindow(m_hWnd, place.x, place.y, cx, cy, TRUE);
    UpdateLayered();
}

void CTranslucentDialog::UpdateLayered() {
    const LONG exStyle = ::GetWindowLongA(m_hWnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED))
        ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);

    win::ClientDC windowDC(m_hWnd);
    win::MemoryDC memoryDC(windowDC.Get());
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    POINT destination = {window.left, window.top};

    void* bits = nullptr;
    win::GdiObject<HBITMAP> bitmap(win::CreateDib(windowDC.Get(), m_width, m_height, 32, &bits));
    if (!bitmap.Get() || !bits)
        return;
    // Fully transparent wherever the skin does not reach.
    ZeroMemory(bits, win::DibImageSize(m_width, m_height, 32));

    win::SelectGuard selected(memoryDC.Get(), bitmap.Get());
    {
        Gdiplus::Graphics graphics(memoryDC.Get());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        if (m_pImage)
            graphics.DrawImage(m_pImage.get(), 0, 0, SkinWidth(), SkinHeight());
    }
    SIZE size = {m_width, m_height};
    POINT source = {0, 0};
    CallUpdateLayeredWindow(m_hWnd, windowDC.Get(), &destination, &size, memoryDC.Get(), &source, 0,
                            &m_blend, ULW_ALPHA);
}

// A close that the popup did not start (the taskbar's close, Alt+F4 or
// Escape on the frame) goes to the popup, whose cancel path may ask the
// player first; when it agrees it closes the pair through here again.
void CTranslucentDialog::OnClose() {
    if (m_pChild && m_pChild->GetSafeHwnd() && !m_pChild->IsClosingWithParent()) {
        m_pChild->RequestClose();
        return;
    }
    if (m_pChild)
        m_pChild->OnClose();
    // What the dialog manager does with a close: the cancel command.
    win::Dialog::OnCancel();
    m_pImage.reset();
}

bool CTranslucentDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_ERASEBKGND:
        result = TRUE;
        return true;
    case WM_MOVE:
        if (m_pChild && m_pChild->GetSafeHwnd())
            ::SetWindowPos(m_pChild->GetSafeHwnd(), nullptr, GET_X_LPARAM(lParam),
                           GET_Y_LPARAM(lParam), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return false;
    case WM_SIZE:
        if (m_pChild && m_pChild->GetSafeHwnd()) {
            HWND child = m_pChild->GetSafeHwnd();
            ::SetWindowPos(child, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                           SWP_NOMOVE | SWP_NOZORDER);
            // The popup's background is erased without clipping its controls:
            // controls moved into the newly uncovered part must paint again
            // after it, or they vanish under the key colour.
            ::RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        return false;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_LBUTTONDOWN:
        if (m_bDragMove)
            ::SendMessageA(m_hWnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        return false;
    default:
        (void)wParam;
        return false;
    }
}

} // namespace ui
