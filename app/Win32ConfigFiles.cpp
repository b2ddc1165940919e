#include "app/Win32ConfigFiles.h"

#include "win/Handle.h"
#include "win/WholeFile.h"

bool Win32ConfigFiles::ReadAll(const std::string& path, std::string& text) {
    // The game may still have the file open; reading must not get in its way.
    win::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
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

// The file replaces the player's configuration, so it is on disk, whole,
// before the old one is deleted.
bool Win32ConfigFiles::WriteAll(const std::string& path, const std::string& text) {
    return win::WriteWholeFile(path, text);
}

bool Win32ConfigFiles::Delete(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != FALSE;
}

bool Win32ConfigFiles::Move(const std::string& from, const std::string& to) {
    return ::MoveFileA(from.c_str(), to.c_str()) != FALSE;
}
