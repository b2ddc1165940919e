#include "identity/Win32CookieFile.h"

#include "win/Handle.h"
#include "win/WholeFile.h"

#include <windows.h>

#include <algorithm>

namespace {

const char kCookiePath[] = "cookie.dat";
const char kTemporaryPath[] = "cookie.tmp";
// The file is read a field at a time, so a read that fails part-way still
// delivers the fields before it.
const DWORD kReadChunk = 64;

} // namespace

ICookieFile::ReadResult Win32CookieFile::ReadStart(std::string& bytes, size_t limit) {
    bytes.clear();
    win::ScopedHandle file(::CreateFileA(kCookiePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return ReadResult::Missing;
    char chunk[kReadChunk];
    while (bytes.size() < limit) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(kReadChunk, limit - bytes.size()));
        DWORD got = 0;
        if (!::ReadFile(file.Get(), chunk, wanted, &got, nullptr))
            return ReadResult::Failed;
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    return ReadResult::Read;
}

void Win32CookieFile::Replace(const std::string& bytes) {
    win::ReplaceWholeFile(kCookiePath, kTemporaryPath, bytes);
}
