#include "app/StarterApp.h"

#include "app/LaunchSession.h"
#include "win/Handle.h"
#include "win/MessageBox.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <gdiplus.h>

namespace {

const char kAppName[] = "VemorStarter";

} // namespace

bool StarterApp::InitInstance() {
    // One copy at a time. The handle stays open until the process ends, so the
    // mutex lives exactly as long as this copy.
    win::ScopedHandle mutex(::CreateMutexA(nullptr, FALSE, kAppName));
    if (::WaitForSingleObject(mutex.Get(), 0) != WAIT_OBJECT_0) {
        win::ShowMessage("Another instance is already run", MB_OK);
        return false;
    }

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    m_gdiplusToken = token;

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The portal view hosts an ActiveX control, which needs OLE on this thread.
    const HRESULT ole = ::OleInitialize(nullptr);

    const char* savedTitle = win::SetAppTitle(kAppName);
    {
        LaunchSession session;
        session.Run();
        win::SetAppTitle(savedTitle);
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        ::ReleaseMutex(mutex.Get());
    }
    if (SUCCEEDED(ole))
        ::OleUninitialize();
    return false;
}

namespace {

StarterApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.InitInstance();
    return 0;
}
