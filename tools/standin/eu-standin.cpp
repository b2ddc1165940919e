// Stand-in for the self-update program eu.exe, built as eu-standin.exe. The
// end-to-end scenarios that check how the launcher hands over copy it into the
// game folder as eu.exe; the others run the real one (selfupdate/).
//
// It appends one record to eu-started.txt in the CURRENT directory, so a test can
// check the command line, the working directory and whether the downloaded new
// launcher (vemor.new) was already in place when the updater was started:
//   cmdline <N>\n<N bytes>\n
//   cwd <N>\n<N bytes>\n
//   vemor.new <size or -1>\n
//   end\n
// Exit code is always 0.

#include "StartRecord.h"

#include <windows.h>

#include <string>

namespace {

using standin::addBlock;
using standin::appendRecord;
using standin::currentDirectory;

// -1 also for a directory of that name: the updater could not use it as a file.
long long fileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string record;
    addBlock(record, "cmdline", GetCommandLineA());
    addBlock(record, "cwd", currentDirectory());
    record += "vemor.new " + std::to_string(fileSize("vemor.new")) + "\n";
    record += "end\n";
    appendRecord("eu-started.txt", record);
    return 0;
}
