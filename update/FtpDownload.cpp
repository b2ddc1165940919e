#include "update/FtpDownload.h"

#include "update/Crc32.h"
#include "update/RunLog.h"
#include "update/UpdateCheck.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// Written beside its target and moved into place only when complete, so an
// interrupted download never replaces the player's good copy with a piece.
std::string PartialName(const std::string& localName) {
    return localName + ".part";
}

void LogFetched(const ManifestItem& item, uint64_t received, uint32_t crc,
                std::chrono::steady_clock::time_point started, const char* failure) {
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    std::string line = "fetch " + item.name + ": " + std::to_string(received) + " bytes, CRC " +
                       std::to_string(crc) + ", " + std::to_string(took.count()) + " ms: ";
    if (failure)
        line += std::string(failure) + " (listed " + std::to_string(item.size) + " bytes, CRC " +
                std::to_string(item.crc) + "); the old copy stays";
    else
        line += "verified and put in place";
    LogLine(line);
}

} // namespace

bool IsVerifiedDownload(const ManifestItem& item, uint64_t size, uint32_t crc,
                        const Sha256Digest& sha256) {
    return size == item.size && crc == item.crc && (!item.hasSha256 || sha256 == item.sha256);
}

float DownloadPercent(uint64_t done, uint64_t total) {
    if (total == 0)
        return 0.0f;
    if (done >= total)
        return 100.0f;
    return static_cast<float>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

FtpDownload::FtpDownload(UpdateWorker* worker, IFtpConnector& connector, IGameFolder& folder)
    : m_worker(worker), m_connector(connector), m_folder(folder) {}

DownloadResult FtpDownload::Run() {
    m_placed.clear();
    const std::unique_ptr<IFtpConnection> connection = m_connector.Connect();
    if (!connection) {
        LogLine("download: no connection to the update server; nothing fetched");
        return DownloadResult::kFailed;
    }
    // Sizing first, so that one progress figure covers the whole download.
    m_total = 0;
    m_done = 0;
    for (const ManifestItem& item : m_files) {
        uint64_t size = 0;
        if (connection->GetRemoteSize(RemoteNameFor(item.name), size))
            m_total += size;
    }
    for (const ManifestItem& item : m_files) {
        bool stopped = false;
        if (!FetchOne(*connection, item, stopped))
            return DownloadResult::kFailed;
        if (stopped)
            return DownloadResult::kStopped;
    }
    return DownloadResult::kCompleted;
}

bool FtpDownload::FetchOne(IFtpConnection& connection, const ManifestItem& item, bool& stopped) {
    const auto started = std::chrono::steady_clock::now();
    const std::unique_ptr<IRemoteFile> remote = connection.OpenRemoteFile(RemoteNameFor(item.name));
    if (!remote) {
        LogLine("fetch " + item.name + ": the server did not open " + RemoteNameFor(item.name));
        return false;
    }
    const std::string localName = LocalNameFor(item.name);
    const std::string partialName = PartialName(localName);
    std::unique_ptr<ILocalFile> local = m_folder.CreateLocalFile(partialName);
    if (!local) {
        LogLine("fetch " + item.name + ": " + partialName + " could not be created");
        return false;
    }
    m_worker->m_listener->OnStatusText(("Downloading " + item.name + "...").c_str());

    std::vector<unsigned char> block(kReadBlock);
    bool ended = false;
    bool ok = true;
    uint64_t received = 0;
    // Computed as the bytes arrive, so verifying costs no second read of the disk.
    uint32_t crc = kCrc32Start;
    Sha256 sha256;
    while (ok && !ended && !stopped) {
        const long long got = remote->Read(block.data(), block.size());
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) {
            ended = true;
            break;
        }
        received += static_cast<uint64_t>(got);
        crc = Crc32Update(crc, block.data(), static_cast<size_t>(got));
        if (item.hasSha256)
            sha256.Update(block.data(), static_cast<size_t>(got));
        for (size_t offset = 0; offset < static_cast<size_t>(got); offset += kChunk) {
            const size_t length = std::min(kChunk, static_cast<size_t>(got) - offset);
            if (!local->Write(block.data() + offset, length)) {
                ok = false;
                break;
            }
            m_done += length;
            ReportProgress();
            if (m_worker->IsStopRequested()) {
                stopped = true;
                break;
            }
        }
    }
    const bool closed = local->Close();
    local.reset();
    // A connection that broke off can look like the end of the file; only the
    // manifest's size and CRC tell a whole file from a piece (and, for a
    // signed entry, only its SHA-256 the community's file from a forged one).
    const bool verified = ended && closed &&
                          IsVerifiedDownload(item, received, Crc32Finish(crc),
                                             item.hasSha256 ? sha256.Finish() : Sha256Digest{});
    const bool placed = verified && m_folder.MoveIntoPlace(partialName, localName);
    const char* failure = nullptr;
    if (!ok)
        failure = "the transfer or the writing broke off";
    else if (stopped)
        failure = "stopped by the player";
    else if (!closed)
        failure = "the file could not be written";
    else if (!verified)
        failure = item.hasSha256 ? "size, CRC or signed SHA-256 differs" : "size or CRC differs";
    else if (!placed)
        failure = "could not be put in place";
    LogFetched(item, received, Crc32Finish(crc), started, failure);
    if (placed) {
        // The launcher's own new copy goes by another name and is not checked.
        if (localName == item.name)
            m_folder.PlacedVerified(localName, item.crc);
        m_placed.push_back(item.name);
        return true;
    }
    m_folder.DeleteLocalFile(partialName);
    // A stop is not a failure: the download simply ends here.
    return stopped && ok;
}

void FtpDownload::ReportProgress() {
    const float percent = DownloadPercent(m_done, m_total);
    const int whole = static_cast<int>(percent);
    if (whole == m_lastWholePercent)
        return;
    m_lastWholePercent = whole;
    m_worker->m_listener->OnProgress(percent);
}
