#pragma once

#include "win/Owner.h"

#include <windows.h>

namespace win {

// Bytes of a DIB's pixels: rows padded to whole 32-bit words.
inline DWORD DibImageSize(int width, int height, WORD bitCount) {
    return static_cast<DWORD>(height) * static_cast<DWORD>(((width * bitCount + 31) >> 5) * 4);
}

// A bottom-up device-independent bitmap of the given depth; its pixels are
// at *bits. Null when it could not be made.
inline HBITMAP CreateDib(HDC dc, int width, int height, WORD bitCount, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DibImageSize(width, height, bitCount);
    *bits = nullptr;
    return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// A GDI object (bitmap, brush, pen, font, region). Deselect it before it is
// released: GDI refuses to delete an object still selected into a DC.
template <class T> struct GdiTraits : NullIsEmpty<T> {
    static bool Release(T object) { return ::DeleteObject(object) != FALSE; }
};
template <class T> using GdiObject = Owner<GdiTraits<T>>;

// Selects an object into a DC and selects the previous one back on scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The DC of a window's client area (GetDC / ReleaseDC).
class ClientDC {
public:
    explicit ClientDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~ClientDC() {
        if (m_dc)
            ::ReleaseDC(m_hwnd, m_dc);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_paint)) {}
    ~PaintDC() { ::EndPaint(m_hwnd, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

// A memory DC (CreateCompatibleDC / DeleteDC).
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// A memory DC holding its own bitmap of a fixed size for as long as it lives:
// a prepared picture that is painted with one BitBlt. Empty until Create.
class BitmapDC {
public:
    BitmapDC() = default;
    ~BitmapDC() { Reset(); }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;

    bool Create(HDC compatibleWith, int width, int height) {
        Reset();
        m_dc = ::CreateCompatibleDC(compatibleWith);
        m_bitmap = ::CreateCompatibleBitmap(compatibleWith, width, height);
        if (!m_dc || !m_bitmap) {
            Reset();
            return false;
        }
        m_previous = ::SelectObject(m_dc, m_bitmap);
        return true;
    }
    HDC Get() const { return m_dc; }
    bool Exists() const { return m_dc != nullptr; }

    void Reset() {
        // The bitmap leaves the DC before either is deleted.
        if (m_dc && m_previous)
            ::SelectObject(m_dc, m_previous);
        if (m_bitmap)
            ::DeleteObject(m_bitmap);
        if (m_dc)
            ::DeleteDC(m_dc);
        m_dc = nullptr;
        m_bitmap = nullptr;
        m_previous = nullptr;
    }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};

} // namespace win
