// Processes by image name: the wait-exit and running commands.

#include "Commands.h"
#include "Output.h"
#include "WindowAccess.h"

#include <tlhelp32.h>

namespace driver {

namespace {

int countProcesses(const std::string& image) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        throw Failure{"cannot list processes"};
    const std::string wanted = lowerAscii(image);
    int count = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        std::string name = entry.szExeFile;
        size_t slash = name.find_last_of("\\/");
        if (slash != std::string::npos)
            name = name.substr(slash + 1);
        if (lowerAscii(name) == wanted)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

} // namespace

int cmdWaitExit(const Options& options) {
    const std::string image = options.text("image");
    int count = 0;
    if (!pollUntil(options.timeout(kDefaultWaitMs),
                   [&] { return (count = countProcesses(image)) == 0; }))
        throw Failure{"still running: " + std::to_string(count) + " x " + image};
    printLine("exited");
    return kExitOk;
}

int cmdRunning(const Options& options) {
    printLine(std::to_string(countProcesses(options.text("image"))));
    return kExitOk;
}

} // namespace driver
