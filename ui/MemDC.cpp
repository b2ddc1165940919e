#include "ui/MemDC.h"

namespace ui {

CMemDC::CMemDC(HDC target, RECT area, BOOL copyTarget) : m_pTargetDC(target) {
    if (::GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER)
        return;
    m_bOffscreen = true;
    m_memoryDC = ::CreateCompatibleDC(target);
    if (area.left == 0 && area.top == 0 && area.right == 0 && area.bottom == 0)
        ::GetClipBox(target, &m_rcArea);
    else
        m_rcArea = area;
    m_offscreenBitmap = ::CreateCompatibleBitmap(target, m_rcArea.right - m_rcArea.left,
                                                 m_rcArea.bottom - m_rcArea.top);
    if (m_memoryDC && m_offscreenBitmap)
        m_pPrevBitmap = ::SelectObject(m_memoryDC, m_offscreenBitmap);
    // Drawing uses the target's coordinates.
    ::SetWindowOrgEx(m_memoryDC, m_rcArea.left, m_rcArea.top, nullptr);
    if (copyTarget)
        ::BitBlt(m_memoryDC, m_rcArea.left, m_rcArea.top, m_rcArea.right - m_rcArea.left,
                 m_rcArea.bottom - m_rcArea.top, target, m_rcArea.left, m_rcArea.top, SRCCOPY);
}

CMemDC::~CMemDC() {
    if (!m_bOffscreen)
        return;
    if (m_pPrevBitmap) {
        ::BitBlt(m_pTargetDC, m_rcArea.left, m_rcArea.top, m_rcArea.right - m_rcArea.left,
                 m_rcArea.bottom - m_rcArea.top, m_memoryDC, m_rcArea.left, m_rcArea.top, SRCCOPY);
        ::SelectObject(m_memoryDC, m_pPrevBitmap);
    }
    if (m_offscreenBitmap)
        ::DeleteObject(m_offscreenBitmap);
    if (m_memoryDC)
        ::DeleteDC(m_memoryDC);
}

} // namespace ui
