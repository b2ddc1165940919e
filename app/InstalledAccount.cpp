#include "app/InstalledAccount.h"

#include "identity/DriveProbe.h"
#include "identity/Win32CookieFile.h"

#include <windows.h>
#include <ntsecapi.h>

namespace {

// The system's own random source (advapi32, on every Windows since XP).
bool SystemRandomFill(unsigned char* bytes, std::size_t count) {
    return RtlGenRandom(bytes, static_cast<ULONG>(count)) != FALSE;
}

} // namespace

AccountRecord ProbeDriveAndReadAccount() {
    return AccountRecord(ReadDriveSerial(), std::make_unique<Win32CookieFile>(), SystemRandomFill);
}
