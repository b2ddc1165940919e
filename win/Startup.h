#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <ole2.h>

namespace win {

// GDI+ for as long as the object lives. Every GDI+ object must be gone before
// it ends, so it is made before the first and outlives the last.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (m_started)
            Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR m_token = 0;
    bool m_started = false;
};

// OLE on the calling thread for as long as the object lives (the portal view
// hosts an ActiveX control, which needs it).
class OleSession {
public:
    OleSession() : m_started(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleSession() {
        if (m_started)
            ::OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool m_started;
};

} // namespace win
