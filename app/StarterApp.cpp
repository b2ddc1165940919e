#include "app/StarterApp.h"

#include "BuildConfig.h"
#include "app/LaunchSession.h"
#include "update/HttpFetch.h"
#include "update/RunLog.h"
#include "update/Win32LogFile.h"
#include "win/Caught.h"
#include "win/Handle.h"
#include "win/MessageBox.h"
#include "win/Startup.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const char kAppName[] = "VemorStarter";

// Every path the launcher uses is relative to the game folder, where the
// launcher lives. A shortcut's "Start in", a console or an elevated start
// (often the system folder) may make anything the current directory, so the
// executable's own folder is made the current one before any file is read or
// written. The wide calls keep a folder name that the code page cannot spell.
void EnterProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return;
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    std::wstring folder(path.data(), length);
    const size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return;
    // A drive root keeps its separator: "C:" alone means that drive's own
    // current folder.
    folder.resize(slash > 0 && folder[slash - 1] == L':' ? slash + 1 : slash);
    ::SetCurrentDirectoryW(folder.c_str());
}

} // namespace

bool StarterApp::InitInstance() {
    EnterProgramFolder();
    // One copy at a time. The handle stays open until the process ends, so the
    // mutex lives exactly as long as this copy.
    win::ScopedHandle mutex(::CreateMutexA(nullptr, FALSE, kAppName));
    if (::WaitForSingleObject(mutex.Get(), 0) != WAIT_OBJECT_0) {
        win::ShowMessage("Another instance is already run", MB_OK);
        return false;
    }
    win::SetCaughtReporter(&LogCaughtException);
    StartRunLog(
        LauncherUserAgent(build_config::kSigningKey[0] ? UpdateMode::kSigned : UpdateMode::kPlain));

    const win::GdiplusSession gdiplus;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    const win::OleSession ole;

    const char* savedTitle = win::SetAppTitle(kAppName);
    {
        LaunchSession session(build_config::kSigningKey);
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
