// Under Wine: what verifying a download's SHA-256 costs against the download
// itself. Fetches one file from a loopback FTP server (port in argv[1], name
// in argv[2]) into memory with WinINet's reads, then hashes those bytes;
// prints both times in seconds. bench/sha256_download.sh gives the ratio.
#include "digest/Sha256.h"
#include "net/Win32Ftp.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_sha256_download PORT NAME\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    Win32FtpConnector connector("127.0.0.1", static_cast<unsigned short>(std::atoi(argv[1])));
    std::vector<unsigned char> bytes;
    const auto start = Clock::now();
    {
        std::unique_ptr<IFtpConnection> connection = connector.Connect();
        uint64_t from = 0;
        std::unique_ptr<IRemoteFile> remote =
            connection ? connection->OpenRemoteFile(argv[2], from) : nullptr;
        if (!remote)
            return 1;
        std::vector<unsigned char> block(64 * 1024);
        for (;;) {
            const long long got = remote->Read(block.data(), block.size());
            if (got < 0)
                return 1;
            if (got == 0)
                break;
            bytes.insert(bytes.end(), block.begin(), block.begin() + got);
        }
    }
    const std::chrono::duration<double> download = Clock::now() - start;
    // In the download's own block size, as the launcher feeds it.
    const auto hashStart = Clock::now();
    Sha256 hash;
    for (size_t at = 0; at < bytes.size(); at += 64 * 1024)
        hash.Update(bytes.data() + at, std::min<size_t>(64 * 1024, bytes.size() - at));
    const Sha256Digest digest = hash.Finish();
    const std::chrono::duration<double> hashing = Clock::now() - hashStart;
    std::printf("%.3f %.3f %s\n", download.count(), hashing.count(), DigestHex(digest).c_str());
    return 0;
}
