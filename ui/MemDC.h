#pragma once

#include "win/Gdi.h"

#include <windows.h>

namespace ui {

// An off-screen device context for flicker-free painting: everything drawn on
// it between construction and destruction reaches the target in one copy. On
// a printer, or when no off-screen bitmap can be had, it draws straight to
// the target.
class CMemDC {
public:
    // An empty area (all zero) means the target's clip box.
    CMemDC(HDC target, RECT area, BOOL copyTarget);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    HDC GetSafeHdc() const { return m_memoryDC.Exists() ? m_memoryDC.Get() : m_pTargetDC; }
    const RECT& Area() const { return m_rcArea; }

private:
    HDC m_pTargetDC;
    RECT m_rcArea = {};
    win::BitmapDC m_memoryDC;
};

} // namespace ui
