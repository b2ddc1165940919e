#include "win/Process.h"

#include "win/Handle.h"

#include <vector>

namespace win {

bool RunProcess(const char* application, const std::string& commandLine, DWORD creationFlags,
                bool waitForExit) {
    // CreateProcessA may write into the command line, so it gets its own copy.
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(application, buffer.data(), nullptr, nullptr, FALSE, creationFlags,
                          nullptr, nullptr, &startup, &process))
        return false;
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    if (waitForExit)
        ::WaitForSingleObject(processHandle.Get(), INFINITE);
    return true;
}

} // namespace win
