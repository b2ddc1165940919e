// Under Wine: a first install through an FTP server whose every reply comes
// late (a round trip on a real line). Arguments: the delayed server's port,
// an undelayed server's port, the list of files to fetch, and a large
// file on the undelayed server. Prints the launcher's seconds for the whole
// fetch list, a bare WinINet loop's seconds for the same files from the same
// server, and the loopback speed in bytes per second, measured with that loop
// over the large file; bench/first_install.sh sets them against each other.
#include "bench/QuietListener.h"
#include "net/Win32Ftp.h"
#include "update/FtpDownload.h"
#include "update/UpdateCheck.h"
#include "update/UpdateWorker.h"
#include "update/Win32GameFolder.h"

#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// WinINet alone over one connection, each file dropped as it arrives; the
// bytes read.
double BareReads(unsigned short port, const std::vector<std::string>& names) {
    HINTERNET session = ::InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = ::InternetConnectA(session, "127.0.0.1", port, "kel", "tQwa3mxp",
                                              INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    std::vector<char> block(64 * 1024);
    double bytes = 0;
    for (const std::string& name : names) {
        HINTERNET file = connection ? ::FtpOpenFileA(connection, name.c_str(), GENERIC_READ,
                                                     FTP_TRANSFER_TYPE_BINARY, 0)
                                    : nullptr;
        DWORD got = 0;
        while (file &&
               ::InternetReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got) &&
               got)
            bytes += got;
        ::InternetCloseHandle(file);
    }
    ::InternetCloseHandle(connection);
    ::InternetCloseHandle(session);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_first_install DELAYED-PORT PORT MANIFEST LARGE-FILE\n");
        return 2;
    }
    // NAME|CRC|SIZE lines, as in the manifest (whose read limit a list of
    // 500 files passes).
    std::vector<ManifestItem> items;
    std::ifstream in(argv[3], std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        ManifestItem item;
        std::istringstream fields(line);
        std::string crc, size;
        if (std::getline(fields, item.name, '|') && std::getline(fields, crc, '|') &&
            std::getline(fields, size)) {
            item.crc = static_cast<uint32_t>(std::stoul(crc));
            item.size = static_cast<uint32_t>(std::stoul(size));
            items.push_back(item);
        }
    }
    if (items.size() != 500)
        return 1;
    UpdateWorker worker;
    QuietListener listener;
    Win32FtpConnector connector("127.0.0.1", static_cast<unsigned short>(std::atoi(argv[1])));
    Win32GameFolder folder;
    FtpDownload job(worker, listener, connector, folder);
    const auto start = std::chrono::steady_clock::now();
    if (job.Run(items).result != DownloadResult::kCompleted)
        return 1;
    const double took = Seconds(start);
    std::vector<std::string> names;
    for (const ManifestItem& item : items)
        names.push_back(RemoteNameFor(item.name));
    const auto bareStart = std::chrono::steady_clock::now();
    BareReads(static_cast<unsigned short>(std::atoi(argv[1])), names);
    const double bare = Seconds(bareStart);
    const auto speedStart = std::chrono::steady_clock::now();
    const double speed =
        BareReads(static_cast<unsigned short>(std::atoi(argv[2])), {argv[4]}) / Seconds(speedStart);
    std::printf("%.3f %.3f %.0f\n", took, bare, speed);
    return 0;
}
