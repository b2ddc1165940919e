#include "ui/MemDC.h"

namespace ui {

CMemDC::CMemDC(HDC target, RECT area, BOOL copyTarget) : m_pTargetDC(target) {
    if (area.left == 0 && area.top == 0 && area.right == 0 && area.bottom == 0)
        ::GetClipBox(target, &m_rcArea);
    else
        m_rcArea = area;
    if (::GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER)
        return;
    const int width = m_rcArea.right - m_rcArea.left;
    const int height = m_rcArea.bottom - m_rcArea.top;
    if (!m_memoryDC.Create(target, width, height))
        return;
    // Drawing uses the target's coordinates.
    ::SetWindowOrgEx(m_memoryDC.Get(), m_rcArea.left, m_rcArea.top, nullptr);
    if (copyTarget)
        ::BitBlt(m_memoryDC.Get(), m_rcArea.left, m_rcArea.top, width, height, target,
                 m_rcArea.left, m_rcArea.top, SRCCOPY);
}

CMemDC::~CMemDC() {
    if (m_memoryDC.Exists())
        ::BitBlt(m_pTargetDC, m_rcArea.left, m_rcArea.top, m_rcArea.right - m_rcArea.left,
                 m_rcArea.bottom - m_rcArea.top, m_memoryDC.Get(), m_rcArea.left, m_rcArea.top,
                 SRCCOPY);
}

} // namespace ui
