#include "update/Win32FileCrc.h"

#include "win/Handle.h"

#include <windows.h>

uint32_t ComputeFileCrc32With(StreamCrc& stream, const std::string& path, uint32_t& crc) {
    win::ScopedHandle file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY,
                      nullptr));
    if (!file.IsValid()) {
        const DWORD error = ::GetLastError();
        crc = 0;
        return error;
    }
    bool failed = false;
    crc = stream.Compute(
        [&file](void* buffer, size_t size) -> long long {
            DWORD got = 0;
            if (!::ReadFile(file.Get(), buffer, static_cast<DWORD>(size), &got, nullptr))
                return -1;
            return got;
        },
        4096, failed);
    return failed ? ERROR_CRC : 0;
}
