#include "win/WholeFile.h"

#include "win/Handle.h"

#include <algorithm>

namespace win {

ReadOutcome ReadWholeFile(const std::string& path, std::string& bytes, size_t limit, size_t chunk) {
    bytes.clear();
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return ReadOutcome::kMissing;
    std::string buffer(std::min<size_t>(chunk, 1u << 20), '\0');
    while (bytes.size() < limit) {
        const DWORD wanted = static_cast<DWORD>(std::min(buffer.size(), limit - bytes.size()));
        DWORD got = 0;
        if (!::ReadFile(file.Get(), &buffer[0], wanted, &got, nullptr))
            return ReadOutcome::kFailed;
        if (got == 0)
            break;
        bytes.append(buffer, 0, got);
    }
    return ReadOutcome::kRead;
}

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

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileA(from.c_str());
    return false;
}

bool ReplaceWholeFile(const std::string& target, const std::string& temporary,
                      const std::string& bytes) {
    if (!WriteWholeFile(temporary, bytes)) {
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    return MoveIntoPlace(temporary, target);
}

} // namespace win
