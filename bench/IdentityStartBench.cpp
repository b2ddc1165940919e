// The identity step of start-up under Wine: probe the drives, derive the two
// digests, load "cookie.dat". Measured against the least any start-up that
// keeps a stored file pays: opening and reading that 192-byte file.
#include "BenchTiming.h"

#include "app/InstalledAccount.h"
#include "identity/DriveProbe.h"

#include <windows.h>

#include <string>

namespace {

std::string ReadSmallFile(const char* path) {
    char buffer[192];
    DWORD got = 0;
    const HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    ::ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, got);
}

} // namespace

int main() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "vemor-identity-bench";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::SetCurrentDirectoryA(folder.c_str());
    {
        AccountRecord record = ProbeDriveAndReadAccount();
        record.m_accessMid = "m1";
        record.m_accessCode = "c2";
        record.m_lang = "en";
        record.Save();
    }

    size_t sink = 0;
    const double whole = FastestSeconds(5, 20, [&] {
        const AccountRecord record = ProbeDriveAndReadAccount();
        sink += record.m_lang.size();
    });
    const double probe =
        FastestSeconds(5, 20, [&] { sink += std::string(ReadDriveSerial()).size(); });
    const double read = FastestSeconds(5, 20, [&] { sink += ReadSmallFile("cookie.dat").size(); });

    PrintRatio("identity step under Wine", "ProbeDriveAndReadAccount()", whole, "read cookie.dat",
               read);
    PrintRatio("identity step under Wine", "drive probe alone", probe, "read cookie.dat", read);
    ::DeleteFileA("cookie.dat");
    ::SetCurrentDirectoryA(temp);
    ::RemoveDirectoryA(folder.c_str());
    return sink == 0;
}
