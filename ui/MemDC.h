#pragma once

#include <windows.h>

namespace ui {

// An off-screen device context for flicker-free painting: everything drawn on
// it between construction and destruction reaches the target in one copy. On
// a printer it draws straight to the target.
class CMemDC {
public:
    // An empty area (all zero) means the target's clip box.
    CMemDC(HDC target, RECT area, BOOL copyTarget);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    HDC GetSafeHdc() const { return m_bOffscreen ? m_memoryDC : m_pTargetDC; }
    const RECT& Area() const { return m_rcArea; }

private:
    HBITMAP m_offscreenBitmap = nullptr;
    HGDIOBJ m_pPrevBitmap = nullptr;
    HDC m_pTargetDC;
    RECT m_rcArea = {};
    bool m_bOffscreen = false;
    HDC m_memoryDC = nullptr;
};

} // namespace ui
