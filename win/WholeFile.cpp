#include "win/WholeFile.h"

#include "win/Handle.h"

#include <algorithm>

namespace win {

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
        DWORD done = 0;
        if (!::WriteFile(file.Get(), bytes.data() + written, chunk, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    if (!::FlushFileBuffers(file.Get()))
        return false;
    return file.Close();
}

} // namespace win
