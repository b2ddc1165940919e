// Under Wine: the launcher's FTP download of one file from a loopback server
// (port, file name, and the file's size and CRC-32 as the manifest lists
// them) against a bare WinINet loop that fetches the same file in 64 KiB
// reads into a local file flushed to the disk, taken in turns. Prints both
// times in seconds; bench/ftp_download.sh gives the ratio.
#include "InTurns.h"
#include "bench/QuietListener.h"

#include "net/Win32Ftp.h"
#include "update/FtpDownload.h"
#include "update/UpdateWorker.h"
#include "update/Win32GameFolder.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

// What WinINet alone costs: no time-outs, no thread, no checks.
void BareLoop(unsigned short port, const char* name, const char* target) {
    HINTERNET session = ::InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = ::InternetConnectA(session, "127.0.0.1", port, "kel", "tQwa3mxp",
                                              INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    HINTERNET file =
        connection ? ::FtpOpenFileA(connection, name, GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0)
                   : nullptr;
    HANDLE out = ::CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!file || out == INVALID_HANDLE_VALUE)
        throw std::runtime_error("bare loop: no file");
    std::vector<char> block(64 * 1024);
    DWORD got = 0;
    DWORD written = 0;
    while (::InternetReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got) && got)
        ::WriteFile(out, block.data(), got, &written, nullptr);
    ::FlushFileBuffers(out);
    ::CloseHandle(out);
    ::InternetCloseHandle(file);
    ::InternetCloseHandle(connection);
    ::InternetCloseHandle(session);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_ftp_download PORT NAME SIZE CRC\n");
        return 2;
    }
    const auto port = static_cast<unsigned short>(std::atoi(argv[1]));
    ManifestItem item;
    item.name = argv[2];
    item.size = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    item.crc = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
    bool completed = true;
    const TimedPair best = InTurns(
        3,
        [&] {
            UpdateWorker worker;
            QuietListener listener;
            Win32FtpConnector connector("127.0.0.1", port);
            Win32GameFolder folder;
            FtpDownload job(worker, listener, connector, folder);
            completed = completed && job.Run({item}).result == DownloadResult::kCompleted;
        },
        [&] { BareLoop(port, argv[2], "bare.bin"); });
    if (!completed)
        return 1;
    std::printf("%.3f %.3f\n", best.subject, best.reference);
    return 0;
}
