#include "win/ProgramFolder.h"

#include <windows.h>

#include <string>
#include <vector>

namespace win {

// The wide calls keep a folder name that the code page cannot spell.
void EnterProgramFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return;
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    std::wstring folder(path.data(), length);
    const size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return;
    // A drive root keeps its separator: "C:" alone means that drive's own
    // current folder.
    folder.resize(slash > 0 && folder[slash - 1] == L':' ? slash + 1 : slash);
    ::SetCurrentDirectoryW(folder.c_str());
}

} // namespace win
