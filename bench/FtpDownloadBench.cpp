// Under Wine: the launcher's FTP download of one file from a loopback server
// (port, file name, and the file's size and CRC-32 as the manifest lists
// them); prints the seconds it took, then WinINet's reads alone and the same
// reads with the streaming CRC-32, which is what verifying a download adds.
// The script bench/ftp_download.sh compares them with curl on the same server.
#include "update/Crc32.h"
#include "update/FtpDownload.h"
#include "update/UpdateWorker.h"
#include "update/Win32GameFolder.h"
#include "update/Win32Ftp.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class Quiet : public IUpdateListener {
public:
    int progress = 0;
    void OnProgress(float) override { ++progress; }
    void OnStatusText(const char*) override {}
    void OnUpdateFinished(UpdateEnd) override {}
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_ftp_download PORT NAME SIZE CRC\n");
        return 2;
    }
    UpdateWorker worker;
    Quiet listener;
    worker.m_listener = &listener;
    Win32FtpConnector connector("127.0.0.1", static_cast<unsigned short>(std::atoi(argv[1])));
    Win32GameFolder folder;
    FtpDownload job(&worker, connector, folder);
    ManifestItem item;
    item.name = argv[2];
    item.size = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    item.crc = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
    job.m_files = {item};
    const auto start = std::chrono::steady_clock::now();
    const DownloadResult result = job.Run();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (result != DownloadResult::kCompleted)
        return 1;
    // The floor: WinINet alone, same connection settings, bytes dropped;
    // then the same with the CRC-32 computed over every block.
    double reads[2] = {};
    uint32_t crc = kCrc32Start;
    for (int withCrc = 0; withCrc < 2; ++withCrc) {
        const auto rawStart = std::chrono::steady_clock::now();
        std::unique_ptr<IFtpConnection> connection = connector.Connect();
        std::unique_ptr<IRemoteFile> remote =
            connection ? connection->OpenRemoteFile(argv[2]) : nullptr;
        if (!remote)
            return 1;
        std::vector<char> block(FtpDownload::kReadBlock);
        for (long long got; (got = remote->Read(block.data(), block.size())) > 0;)
            if (withCrc)
                crc = Crc32Update(crc, block.data(), static_cast<size_t>(got));
        const std::chrono::duration<double> raw = std::chrono::steady_clock::now() - rawStart;
        reads[withCrc] = raw.count();
    }
    if (Crc32Finish(crc) != item.crc)
        return 1;
    std::printf("%.3f %d %.3f %.3f\n", took.count(), listener.progress, reads[0], reads[1]);
    return 0;
}
