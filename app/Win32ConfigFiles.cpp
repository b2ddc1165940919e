#include "app/Win32ConfigFiles.h"

#include "win/Handle.h"

#include <algorithm>

bool Win32ConfigFiles::ReadAll(const std::string& path, std::string& text) {
    // The game may still have the file open; reading must not get in its way.
    win::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    text.clear();
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr))
            return false;
        if (read == 0)
            return true;
        text.append(buffer, read);
    }
}

bool Win32ConfigFiles::WriteAll(const std::string& path, const std::string& text) {
    win::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - written, 1u << 20));
        DWORD done = 0;
        if (!::WriteFile(file.Get(), text.data() + written, chunk, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    // The file replaces the player's configuration, so it must be on disk
    // before the old one is deleted.
    if (!::FlushFileBuffers(file.Get()))
        return false;
    return file.Close();
}

bool Win32ConfigFiles::Delete(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

bool Win32ConfigFiles::Move(const std::string& from, const std::string& to) {
    return ::MoveFileA(from.c_str(), to.c_str()) != FALSE;
}
