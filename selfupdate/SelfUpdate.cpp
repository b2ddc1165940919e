// eu.exe, the self-update program. The launcher cannot replace its own
// running executable: when a new launcher has arrived whole and verified, it
// stores it as "vemor.new", starts this program with an empty command line
// in the game folder and closes. This program then
//   1. waits, at most 30 s, until that launcher has ended and no other copy
//      of it runs; it holds the launcher's single-instance mutex from then
//      on, so that no copy started meanwhile holds the old file;
//   2. puts vemor.new in place of vemor.exe with one replacing move, a copy
//      of the old launcher kept as vemor.bak until the new one is in place;
//   3. starts vemor.exe, now the new launcher,
// and appends what it did to the launcher's log, vemor.log.
//
// When vemor.exe cannot be replaced (another program holds it open, it is
// read-only, the disk has no room for the copy) it stays as it was, vemor.new
// is kept as vemor.failed and the old launcher is started again. The launcher
// does not fetch and hand over a launcher of vemor.failed's size and CRC
// again, so the player is not sent round the same failed hand-off on every
// start: that run ends as "Update failed" and the game can be played.
//
// Why the launcher's end is found through its process: only the end of the
// process frees vemor.exe. The launcher releases its mutex a moment before it
// ends, and retrying the move until the file is free cannot tell a launcher
// still ending from a file held for good, so every failure would cost the
// whole wait.

#include "selfupdate/LauncherLog.h"
#include "selfupdate/StartingLauncher.h"
#include "update/SelfUpdateFiles.h"
#include "update/UpdateCheck.h"
#include "win/Handle.h"
#include "win/Process.h"
#include "win/ProgramFolder.h"

#include <windows.h>

#include <string>

namespace {

constexpr DWORD kLauncherWaitMs = 30000;
// A virus scanner may look at a file for a moment after it was written.
constexpr int kMoveTries = 10;
constexpr DWORD kMoveRetryMs = 200;

// Waits for the launcher that started this program to end and then takes
// its single-instance mutex into mutex; false when either did not happen
// within the wait: a launcher still runs, and it is what the player sees.
bool WaitForLauncher(LauncherLog& log, win::ScopedHandle& mutex) {
    const ULONGLONG start = ::GetTickCount64();
    const auto left = [start] {
        const ULONGLONG spent = ::GetTickCount64() - start;
        return spent >= kLauncherWaitMs ? DWORD{0} : static_cast<DWORD>(kLauncherWaitMs - spent);
    };
    log.Add("eu.exe: waiting for the launcher to end");
    win::ScopedHandle launcher;
    if (OpenStartingLauncher(launcher) &&
        ::WaitForSingleObject(launcher.Get(), left()) != WAIT_OBJECT_0) {
        log.Add("eu.exe: the launcher has not ended after 30 s; nothing replaced");
        return false;
    }
    mutex.Reset(::CreateMutexA(nullptr, FALSE, "VemorStarter"));
    const DWORD taken = mutex.IsValid() ? ::WaitForSingleObject(mutex.Get(), left()) : WAIT_FAILED;
    // An abandoned mutex is owned all the same: its launcher ended without
    // releasing it.
    if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) {
        log.Add("eu.exe: a launcher still runs after 30 s; nothing replaced");
        mutex.Reset();
        return false;
    }
    log.Add("eu.exe: the launcher has ended (" + std::to_string(::GetTickCount64() - start) +
            " ms)");
    return true;
}

bool Exists(const char* path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsLockOrRefusal(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Puts vemor.new in place of vemor.exe. False, with vemor.exe as it was, when
// that cannot be done.
bool PutNewLauncherInPlace(LauncherLog& log) {
    // The copy keeps the old launcher where a replacing move is not one step
    // for the file system (a network share, say) and breaks off half-way.
    ::SetFileAttributesA(kOldLauncherCopy, FILE_ATTRIBUTE_NORMAL);
    if (Exists(kLauncherName) && !::CopyFileA(kLauncherName, kOldLauncherCopy, FALSE)) {
        log.Add("eu.exe: vemor.exe cannot be copied to vemor.bak, so it is not replaced: " +
                DescribeError(::GetLastError()));
        ::SetFileAttributesA(kOldLauncherCopy, FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(kOldLauncherCopy);
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    for (int tries = 0; tries < kMoveTries; ++tries) {
        if (tries > 0)
            ::Sleep(kMoveRetryMs);
        if (::MoveFileExA(kNewLauncherName, kLauncherName,
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = ERROR_SUCCESS;
            break;
        }
        error = ::GetLastError();
        if (!IsLockOrRefusal(error))
            break;
    }
    if (error != ERROR_SUCCESS && !Exists(kLauncherName) && Exists(kOldLauncherCopy))
        ::MoveFileExA(kOldLauncherCopy, kLauncherName, 0);
    ::SetFileAttributesA(kOldLauncherCopy, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(kOldLauncherCopy);
    if (error != ERROR_SUCCESS)
        log.Add("eu.exe: vemor.exe cannot be replaced: " + DescribeError(error) +
                "; the old launcher stays");
    return error == ERROR_SUCCESS;
}

std::string SizeOf(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return "?";
    return std::to_string((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                          data.nFileSizeLow);
}

// Replaces the launcher and starts it; true when the new one was started.
bool SelfUpdate(LauncherLog& log) {
    win::ScopedHandle mutex;
    if (!WaitForLauncher(log, mutex))
        return false;
    bool replaced = false;
    if (!Exists(kNewLauncherName)) {
        log.Add("eu.exe: there is no vemor.new to put in place");
    } else {
        const std::string size = SizeOf(kNewLauncherName);
        replaced = PutNewLauncherInPlace(log);
        if (replaced) {
            log.Add("eu.exe: vemor.exe replaced by vemor.new (" + size + " bytes)");
            // A launcher that failed before is of no use any more.
            ::DeleteFileA(kFailedLauncherName);
        } else if (::MoveFileExA(kNewLauncherName, kFailedLauncherName,
                                 MOVEFILE_REPLACE_EXISTING)) {
            log.Add("eu.exe: vemor.new kept as vemor.failed; the launcher does not hand that "
                    "one over again");
        } else {
            log.Add("eu.exe: vemor.new cannot be renamed to vemor.failed: " +
                    DescribeError(::GetLastError()));
        }
    }
    // Before the launcher starts, which takes the mutex and moves vemor.log
    // aside: every line must be in the file by then.
    ::ReleaseMutex(mutex.Get());
    mutex.Reset();
    log.Add(replaced ? "eu.exe: starting the new launcher" : "eu.exe: starting the launcher again");
    if (!win::RunProcess(kLauncherName, kLauncherName, 0, false)) {
        log.Add("eu.exe: vemor.exe cannot be started: " + DescribeError(::GetLastError()));
        return false;
    }
    return replaced;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    win::EnterProgramFolder();
    LauncherLog log;
    const bool updated = SelfUpdate(log);
    log.Flush();
    return updated ? 0 : 1;
}
