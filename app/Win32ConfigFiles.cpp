#include "app/Win32ConfigFiles.h"

#include "win/WholeFile.h"

#include <windows.h>

bool Win32ConfigFiles::ReadAll(const std::string& path, std::string& text) {
    return win::ReadWholeFile(path, text) == ReadOutcome::kRead;
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
