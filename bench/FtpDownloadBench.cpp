// Under Wine: the launcher's FTP download of one file from a loopback server
// (port in argv[1], file name in argv[2]); prints the seconds it took. The
// script bench/ftp_download.sh compares it with curl on the same server.
#include "update/FtpDownload.h"
#include "update/UpdateWorker.h"
#include "update/Win32GameFolder.h"
#include "update/WinFtp.h"

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
    void OnUpdateFinished() override {}
    void OnSelfUpdateStarted() override {}
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_ftp_download PORT NAME\n");
        return 2;
    }
    UpdateWorker worker;
    Quiet listener;
    worker.m_listener = &listener;
    WinFtpConnector connector("127.0.0.1", static_cast<unsigned short>(std::atoi(argv[1])));
    Win32GameFolder folder;
    FtpDownload job(&worker, connector, folder);
    job.m_files = {argv[2]};
    const auto start = std::chrono::steady_clock::now();
    const DownloadResult result = job.Run();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (result != DownloadResult::kCompleted)
        return 1;
    // The floor: WinINet alone, same connection settings, bytes dropped.
    const auto rawStart = std::chrono::steady_clock::now();
    std::unique_ptr<IFtpConnection> connection = connector.Connect();
    std::unique_ptr<IRemoteFile> remote =
        connection ? connection->OpenRemoteFile(argv[2]) : nullptr;
    if (!remote)
        return 1;
    std::vector<char> block(FtpDownload::kReadBlock);
    while (remote->Read(block.data(), block.size()) > 0) {
    }
    const std::chrono::duration<double> raw = std::chrono::steady_clock::now() - rawStart;
    std::printf("%.3f %d %.3f\n", took.count(), listener.progress, raw.count());
    return 0;
}
