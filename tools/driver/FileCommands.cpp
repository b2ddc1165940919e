// Files held open: the hold-file and release-file commands. A scenario makes a
// file that no program can replace or delete, as a virus scanner or another
// program holding it open would. A file stays held until it is released or
// the driver ends.

#include "Commands.h"
#include "Output.h"

#include <map>

namespace driver {

namespace {

std::map<std::string, HANDLE>& heldFiles() {
    static std::map<std::string, HANDLE> files;
    return files;
}

void release(const std::string& path) {
    auto it = heldFiles().find(path);
    if (it == heldFiles().end())
        return;
    CloseHandle(it->second);
    heldFiles().erase(it);
}

} // namespace

int cmdHoldFile(const Options& options) {
    const std::string path = options.text("path");
    release(path);
    // Others may read it (and run it), never write, replace or delete it.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Failure{"cannot open " + path + ": error " + std::to_string(GetLastError())};
    heldFiles()[path] = file;
    printLine("held " + path);
    return kExitOk;
}

int cmdReleaseFile(const Options& options) {
    const std::string path = options.text("path");
    release(path);
    printLine("released " + path);
    return kExitOk;
}

} // namespace driver
