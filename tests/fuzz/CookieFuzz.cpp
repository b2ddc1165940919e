// "cookie.dat" may hold anything: a torn write, another program's file, a
// file from another machine. Input: a mode byte (file missing, read whole, or
// a read failing after some bytes), a byte count for that failure, a serial
// length, the serial, then the file's bytes.
#include "identity/AccountRecord.h"
#include "tests/unit/IdentityCookieLayout.h"

#include <cstdlib>
#include <string>

namespace {

void CheckValue(const std::string& value) {
    if (value.size() > AccountRecord::kFieldSize || value.find('\0') != std::string::npos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const int mode = data[0] % 3;
    const size_t failAfter = data[1];
    const size_t serialLength = std::min<size_t>(data[2], size - 3);
    const std::string serial(reinterpret_cast<const char*>(data + 3), serialLength);
    const std::string file(reinterpret_cast<const char*>(data + 3 + serialLength),
                           size - 3 - serialLength);

    CookieDisk disk{mode != 0, file, mode == 2, failAfter};
    AccountRecord record(serial, std::make_unique<MemoryCookieFile>(disk));
    if (record.m_machineId.size() != 32)
        std::abort();
    CheckValue(record.m_accessMid);
    CheckValue(record.m_accessCode);
    CheckValue(record.m_lang);

    // Whatever was loaded is saved and loads back unchanged on this machine.
    record.Save();
    if (disk.replaces != 1 || disk.bytes.size() != AccountRecord::kFileSize)
        std::abort();
    disk.failReads = false;
    AccountRecord again(serial, std::make_unique<MemoryCookieFile>(disk));
    if (again.m_accessMid != record.m_accessMid || again.m_accessCode != record.m_accessCode ||
        again.m_lang != record.m_lang)
        std::abort();
    return 0;
}
