#include "app/StarterApp.h"

#include "BuildConfig.h"
#include "app/LaunchSession.h"
#include "log/RunLog.h"
#include "log/Win32LogFile.h"
#include "net/Win32HttpFetch.h"
#include "portal/BrowserAgent.h"
#include "win/Caught.h"
#include "win/Handle.h"
#include "win/MessageBox.h"
#include "win/ProgramFolder.h"
#include "win/Startup.h"

#include <windows.h>
#include <commctrl.h>

namespace {

const char kAppName[] = "VemorStarter";

} // namespace

bool StarterApp::InitInstance() {
    // Before any file is read or written.
    win::EnterProgramFolder();
    // One copy at a time. The handle stays open until the process ends, so the
    // mutex lives exactly as long as this copy.
    win::ScopedHandle mutex(::CreateMutexA(nullptr, FALSE, kAppName));
    if (::WaitForSingleObject(mutex.Get(), 0) != WAIT_OBJECT_0) {
        win::ShowMessage("Another instance is already run", MB_OK);
        return false;
    }
    win::SetCaughtReporter(&LogCaughtException);
    const std::string agent =
        LauncherUserAgent(build_config::kSigningKey[0] ? UpdateMode::kSigned : UpdateMode::kPlain);
    StartRunLog(agent);
    AddToBrowserUserAgent(agent);

    const win::GdiplusSession gdiplus;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    const win::OleSession ole;

    const char* savedTitle = win::SetAppTitle(kAppName);
    {
        LaunchSession session({build_config::kSigningKey, build_config::kSigningFloor});
        session.Run();
        win::SetAppTitle(savedTitle);
        ::ReleaseMutex(mutex.Get());
    }
    return false;
}

namespace {

StarterApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    theApp.InitInstance();
    return 0;
}
