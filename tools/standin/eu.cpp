// Stand-in for the self-update program eu.exe, started by the launcher during the
// end-to-end tests when it hands over to the updater.
//
// It appends one record to eu-started.txt in the CURRENT directory, so a test can
// check the command line, the working directory and whether the downloaded new
// launcher (vemor.new) was already in place when the updater was started:
//   cmdline <N>\n<N bytes>\n
//   cwd <N>\n<N bytes>\n
//   vemor.new <size or -1>\n
//   end\n
// Exit code is always 0.

#include <windows.h>

#include <string>

namespace {

void addBlock(std::string& record, const char* header, const std::string& body) {
    record += header;
    record += ' ';
    record += std::to_string(body.size());
    record += '\n';
    record += body;
    record += '\n';
}

std::string currentDirectory() {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return std::string();
    std::string dir(needed, '\0');
    DWORD len = GetCurrentDirectoryA(needed, &dir[0]);
    dir.resize(len < needed ? len : 0);
    return dir;
}

// -1 also for a directory of that name: the updater could not use it as a file.
long long fileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

// One write for the whole record, so that two quick starts cannot interleave.
void appendRecord(const char* path, const std::string& record) {
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 50 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileA(path, FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE)
        return;
    size_t done = 0;
    while (done < record.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(record.size() - done);
        if (!WriteFile(file, record.data() + done, chunk, &written, nullptr) || written == 0)
            break;
        done += written;
    }
    CloseHandle(file);
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
