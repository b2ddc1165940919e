#include "identity/Win32CookieFile.h"

#include "win/WholeFile.h"

#include <windows.h>

namespace {

const char kCookiePath[] = "cookie.dat";
const char kTemporaryPath[] = "cookie.tmp";
// The file is read a field at a time, so a read that fails part-way still
// delivers the fields before it.
const size_t kReadChunk = 64;

} // namespace

ReadOutcome Win32CookieFile::ReadStart(std::string& bytes, size_t limit) {
    return win::ReadWholeFile(kCookiePath, bytes, limit, kReadChunk);
}

void Win32CookieFile::Replace(const std::string& bytes) {
    win::ReplaceWholeFile(kCookiePath, kTemporaryPath, bytes);
}
