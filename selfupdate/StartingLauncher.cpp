#include "selfupdate/StartingLauncher.h"

#include "update/UpdateCheck.h"

#include <tlhelp32.h>

namespace {

// The snapshot's record of process id; false when there is none.
bool FindProcess(HANDLE snapshot, DWORD id, PROCESSENTRY32& entry) {
    entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == id)
            return true;
    }
    return false;
}

// 0 when it cannot be read.
ULONGLONG CreationTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

} // namespace

bool OpenStartingLauncher(win::ScopedHandle& launcher) {
    launcher.Reset();
    const win::ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 self;
    PROCESSENTRY32 parent;
    if (!snapshot.IsValid() || !FindProcess(snapshot.Get(), ::GetCurrentProcessId(), self) ||
        !FindProcess(snapshot.Get(), self.th32ParentProcessID, parent) ||
        ::lstrcmpiA(parent.szExeFile, kLauncherName) != 0)
        return false;
    launcher.Reset(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                 parent.th32ProcessID));
    const ULONGLONG started = launcher.IsValid() ? CreationTime(launcher.Get()) : 0;
    if (started == 0 || started > CreationTime(::GetCurrentProcess()))
        launcher.Reset();
    return launcher.IsValid();
}
