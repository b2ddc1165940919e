#pragma once

// What the stand-in programs share: building a record of how they were
// started and appending it to a file in the current directory.

#include <windows.h>

#include <string>

namespace standin {

// "<header> <N>\n<N bytes>\n": the length makes any bytes safe to carry.
inline void addBlock(std::string& record, const std::string& header, const std::string& body) {
    record += header;
    record += ' ';
    record += std::to_string(body.size());
    record += '\n';
    record += body;
    record += '\n';
}

inline std::string currentDirectory() {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return std::string();
    std::string dir(needed, '\0');
    DWORD len = GetCurrentDirectoryA(needed, &dir[0]);
    dir.resize(len < needed ? len : 0);
    return dir;
}

inline bool writeAll(HANDLE file, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(data.size() - done);
        if (!WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// Appends the whole record with one write so that two starts close together
// cannot interleave their records in the shared file.
inline void appendRecord(const char* path, const std::string& record) {
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
    writeAll(file, record);
    CloseHandle(file);
}

} // namespace standin
