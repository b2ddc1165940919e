#include "ui/GdipButton.h"

#include "ui/ButtonLooks.h"
#include "ui/MemDC.h"

#include <commctrl.h>

namespace ui {

namespace {

// Draws the image at its own size through a colour matrix.
void DrawThroughMatrix(Gdiplus::Graphics& graphics, Gdiplus::Bitmap* image,
                       const ColorMatrixRows& rows) {
    Gdiplus::ColorMatrix matrix;
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 5; ++column)
            matrix.m[row][column] = rows[row][column];
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&matrix);
    const INT width = static_cast<INT>(image->GetWidth());
    const INT height = static_cast<INT>(image->GetHeight());
    graphics.DrawImage(image, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height,
                       Gdiplus::UnitPixel, &attributes);
}

} // namespace

CGdipButton::~CGdipButton() {
    ReleaseImages();
}

bool CGdipButton::SetImageResource(UINT id, LPCSTR type) {
    ReleaseImages();
    m_pButtonImage = std::make_unique<CGdiPlusBitmapResource>();
    return m_pButtonImage->Load(id, type, nullptr);
}

void CGdipButton::SetImageType(int type) {
    if (type == kDisabledLook)
        m_bDisabled = TRUE;
    else if (type == kStandardLooks)
        m_bDisabled = FALSE;
    Invalidate();
}

void CGdipButton::ReleaseImages() {
    m_pButtonImage.reset();
}

void CGdipButton::Invalidate() {
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CGdipButton::PreSubclassWindow() {
    ModifyStyle(0, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

bool CGdipButton::PreTranslateMessage(MSG& msg) {
    // A quick second press counts as a press of its own, so a double click
    // gives two clicks.
    if (msg.message == WM_LBUTTONDBLCLK)
        msg.message = WM_LBUTTONDOWN;
    return false;
}

bool CGdipButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        result = TRUE;
        return true;
    case WM_MOUSEMOVE:
        if (!m_bTracking) {
            TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, m_hWnd, 1};
            m_bTracking = ::_TrackMouseEvent(&track);
        }
        result = Default(msg, wParam, lParam);
        return true;
    case WM_MOUSEHOVER:
        m_bHovering = TRUE;
        Invalidate();
        result = 0;
        return true;
    case WM_MOUSELEAVE:
        m_bTracking = FALSE;
        m_bHovering = FALSE;
        Invalidate();
        result = 0;
        return true;
    default:
        return false;
    }
}

bool CGdipButton::OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CTLCOLORBTN:
        // Answers with no brush, so the parent's own colour handling stays.
        BuildStateImages(reinterpret_cast<HDC>(wParam));
        return false;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    default:
        return false;
    }
}

void CGdipButton::CaptureBackground(int width, int height) {
    HWND parent = ::GetParent(m_hWnd);
    win::ClientDC parentDC(parent);
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
    if (m_dcBackground.Create(parentDC.Get(), width, height))
        ::BitBlt(m_dcBackground.Get(), 0, 0, width, height, parentDC.Get(), window.left, window.top,
                 SRCCOPY);
}

void CGdipButton::BuildStateImages(HDC dc) {
    if (m_bImagesBuilt || !m_pButtonImage || !static_cast<Gdiplus::Bitmap*>(*m_pButtonImage))
        return;
    Gdiplus::Bitmap* image = *m_pButtonImage;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    {
        CMemDC memory(dc, client, FALSE);
        HDC target = memory.GetSafeHdc();
        Gdiplus::Graphics graphics(target);
        if (!m_dcBackground.Exists())
            CaptureBackground(width, height);

        // Each look starts from the captured background, so transparent pixels
        // of the image show what lies behind the button.
        auto compose = [&](win::BitmapDC& look, const ColorMatrixRows* matrix) {
            if (look.Exists())
                return;
            ::BitBlt(target, 0, 0, width, height, m_dcBackground.Get(), 0, 0, SRCCOPY);
            if (matrix)
                DrawThroughMatrix(graphics, image, *matrix);
            else // at its pixel size, whatever resolution the file states
                graphics.DrawImage(image, 0, 0, static_cast<INT>(image->GetWidth()),
                                   static_cast<INT>(image->GetHeight()));
            graphics.Flush(Gdiplus::FlushIntentionSync);
            if (look.Create(target, width, height))
                ::BitBlt(look.Get(), 0, 0, width, height, target, 0, 0, SRCCOPY);
        };
        if (!m_dcNormal.Exists()) {
            compose(m_dcNormal, nullptr);
            compose(m_dcPressed, &kPressedMatrix);
            compose(m_dcHover, &kHoverMatrix);
            compose(m_dcDisabled, &kDisabledMatrix);
        }
        if (!m_pCurrentDC)
            m_pCurrentDC = &m_dcNormal;
        m_bImagesBuilt = TRUE;
    }
}

void CGdipButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (m_bDisabled)
        m_pCurrentDC = &m_dcDisabled;
    else if (item.itemState & ODS_SELECTED)
        m_pCurrentDC = &m_dcPressed;
    else if (m_bHovering)
        m_pCurrentDC = &m_dcHover;
    else
        m_pCurrentDC = &m_dcNormal;
    if (!m_pCurrentDC->Exists())
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::BitBlt(item.hDC, 0, 0, client.right, client.bottom, m_pCurrentDC->Get(), 0, 0, SRCCOPY);
}

} // namespace ui
