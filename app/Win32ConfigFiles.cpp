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

bool Win32ConfigFiles::WriteTemporary(const std::string& temporary, const std::string& text) {
    if (win::WriteWholeFile(temporary, text))
        return true;
    ::DeleteFileA(temporary.c_str());
    return false;
}

bool Win32ConfigFiles::MoveIntoPlace(const std::string& temporary, const std::string& target) {
    return win::MoveIntoPlace(temporary, target);
}

void Win32ConfigFiles::Delete(const std::string& path) {
    ::DeleteFileA(path.c_str());
}
