#include "app/LaunchSession.h"

#include "app/GameConfig.h"
#include "app/InstalledAccount.h"
#include "app/Win32ConfigFiles.h"
#include "log/RunLog.h"
#include "ui/MainTranslucentDialog.h"
#include "win/ErrorText.h"
#include "win/MessageBox.h"
#include "win/Process.h"
#include "workers/ServerListThread.h"
#include "workers/UpdateThread.h"

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

std::string SystemErrorText(DWORD error) {
    const std::string text = win::SystemMessage(error);
    return text.empty() ? "error " + std::to_string(error) : text;
}

} // namespace

LaunchSession::LaunchSession(SigningSettings signing)
    : m_updater(std::make_shared<UpdateWork>()), m_account(ProbeDriveAndReadAccount()) {
    // The suffix always brings its separator, so a drive root gives "C:\\vemor.ini",
    // which the file functions accept.
    m_iniPath = CurrentDirectory() + "\\vemor.ini";
    m_signing = std::move(signing);
    m_cancelled = kNoLaunch;
    HideAccountValues();
}

// The log must never hold the portal login: whatever line might quote it
// shows "***" instead.
void LaunchSession::HideAccountValues() {
    TheLog().Hide(m_account.m_accessMid);
    TheLog().Hide(m_account.m_accessCode);
    TheLog().Hide(m_account.m_accessMid + ":" + m_account.m_accessCode);
}

LaunchSession::~LaunchSession() {
    m_updater->relay.Detach();
}

void LaunchSession::Run() {
    ui::MainTranslucentDialog window(this);
    window.DoModal(nullptr);
    // The window is gone: a worker still running reports to nobody from here on.
    m_updater->relay.Detach();
    if (m_cancelled != kLaunchGame)
        return;
    ::DeleteFileA(game_files::kRedirectCache);
    StageGameConfig();
    LaunchGame();
    RestoreGameConfig();
}

void LaunchSession::StartWorkers(HWND window) {
    m_updater->relay.Attach(window);
    // No worker runs yet, so nothing needs the lock here.
    m_updater->worker.m_stopRequested = false;
    StartUpdateThread(m_updater, {m_iniPath, m_signing});
    StartServerListThread();
}

void LaunchSession::StartServerListThread() {
    ::StartServerListThread({m_iniPath, m_signing});
}

std::string LaunchSession::UpdateStatus() {
    return m_updater->relay.Status();
}

void LaunchSession::RequestStop() {
    m_updater->worker.RequestStop();
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
    // The page may have given new values when the window closed.
    HideAccountValues();
    const std::string marker = "cp_clanPwd ";
    const size_t password = commandLine.find(marker);
    LogLine("launch: " + (password == std::string::npos
                              ? std::string("(command line withheld)")
                              : commandLine.substr(0, password + marker.size()) + "***"));
    std::string reason;
    if (!StartGameAndWait(commandLine, reason)) {
        LogLine("launch: jamp.exe could not be started: " + reason);
        win::ShowMessage(("The game could not be started (jamp.exe): " + reason).c_str(),
                         MB_OK | MB_ICONERROR);
        return;
    }
    LogLine("launch: the game has ended");
}

bool StartGameAndWait(const std::string& commandLine, std::string& reason) {
    // No application name: the system finds "jamp.exe" by its usual search,
    // the launcher's own folder first, then the current directory.
    if (!win::RunProcess(nullptr, commandLine, 0, true)) {
        reason = SystemErrorText(::GetLastError());
        return false;
    }
    return true;
}
