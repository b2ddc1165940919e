#include "app/LaunchSession.h"

#include "app/GameConfig.h"
#include "app/Win32ConfigFiles.h"
#include "ui/MainTranslucentDialog.h"
#include "update/UpdateThreads.h"
#include "win/Handle.h"

#include <windows.h>

#include <vector>

// The game and the self-update program are started with the 32-bit record.
#if defined(__i386__)
static_assert(sizeof(STARTUPINFOA) == 68, "STARTUPINFOA of the 32-bit build");
#endif

namespace {

std::string CurrentDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        // A folder deeper than the usual path limit: ask again with room for it.
        buffer.resize(length + 1);
    }
}

} // namespace

LaunchSession::LaunchSession() : m_updater(std::make_shared<UpdateWorker>()) {
    // The suffix always brings its separator, so a drive root gives "C:\\vemor.ini",
    // which the file functions accept.
    m_iniPath = CurrentDirectory() + "\\vemor.ini";
    m_cancelled = 1;
}

LaunchSession::~LaunchSession() {
    m_updater->m_gate.Detach();
}

void LaunchSession::Run() {
    MainTranslucentDialog window(this);
    window.DoModal(nullptr);
    // The window is gone: a worker still running reports to nobody from here on.
    m_updater->m_gate.Detach();
    if (m_cancelled != 0)
        return;
    ::DeleteFileA(game_files::kRedirectCache);
    StageGameConfig();
    LaunchGame();
    RestoreGameConfig();
}

void LaunchSession::StartWorkers(IUpdateListener* listener) {
    // No worker runs yet, so nothing needs the lock here.
    m_updater->m_gate.Attach(listener);
    m_updater->m_listener = &m_updater->m_gate;
    m_updater->m_stopRequested = false;
    StartUpdateThread(m_updater);
    StartServerListThread();
}

void LaunchSession::StartServerListThread() {
    ::StartServerListThread(m_iniPath);
}

void LaunchSession::RequestStop() {
    m_updater->RequestStop();
}

bool LaunchSession::IsStopRequested() {
    return m_updater->IsStopRequested();
}

void LaunchSession::StageGameConfig() {
    Win32ConfigFiles files;
    StageConfigFiles(files);
}

void LaunchSession::RestoreGameConfig() {
    Win32ConfigFiles files;
    RestoreConfigFiles(files);
}

void LaunchSession::LaunchGame() {
    const std::string commandLine =
        BuildGameCommandLine(m_account.m_accessMid, m_account.m_accessCode);
    // CreateProcessA may write into the command line, so it gets its own copy.
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // No application name: the system finds "jamp.exe" by its usual search,
    // the launcher's own folder first, then the current directory.
    if (!::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return;
    win::ScopedHandle processHandle(process.hProcess);
    win::ScopedHandle threadHandle(process.hThread);
    ::WaitForSingleObject(processHandle.Get(), INFINITE);
}
