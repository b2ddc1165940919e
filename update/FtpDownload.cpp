#include "update/FtpDownload.h"

#include "update/UpdateCheck.h"

#include <algorithm>
#include <vector>

namespace {

// Written beside its target and moved into place only when complete, so an
// interrupted download never replaces the player's good copy with a piece.
std::string PartialName(const std::string& localName) {
    return localName + ".part";
}

} // namespace

float DownloadPercent(uint64_t done, uint64_t total) {
    if (total == 0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

FtpDownload::FtpDownload(UpdateWorker* worker, IFtpConnector& connector, IGameFolder& folder)
    : m_worker(worker), m_connector(connector), m_folder(folder) {}

DownloadResult FtpDownload::Run() {
    const std::unique_ptr<IFtpConnection> connection = m_connector.Connect();
    if (!connection)
        return DownloadResult::kFailed;
    // Sizing first, so that one progress figure covers the whole download.
    m_total = 0;
    m_done = 0;
    m_listedSizes.clear();
    for (const std::string& name : m_files) {
        uint64_t size = 0;
        if (connection->GetRemoteSize(name, size)) {
            m_total += size;
            m_listedSizes[name] = size;
        }
    }
    for (const std::string& name : m_files) {
        bool stopped = false;
        if (!FetchOne(*connection, name, stopped))
            return DownloadResult::kFailed;
        if (stopped)
            return DownloadResult::kStopped;
    }
    return DownloadResult::kCompleted;
}

bool FtpDownload::FetchOne(IFtpConnection& connection, const std::string& name, bool& stopped) {
    const std::unique_ptr<IRemoteFile> remote = connection.OpenRemoteFile(name);
    if (!remote)
        return false;
    const std::string localName = LocalNameFor(name);
    const std::string partialName = PartialName(localName);
    std::unique_ptr<ILocalFile> local = m_folder.CreateLocalFile(partialName);
    if (!local)
        return false;
    m_worker->m_listener->OnStatusText(("Downloading " + name + "...").c_str());

    std::vector<unsigned char> block(kReadBlock);
    bool complete = false;
    bool ok = true;
    uint64_t received = 0;
    while (ok && !complete && !stopped) {
        const long long got = remote->Read(block.data(), block.size());
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) {
            // A connection that broke off can look like the end of the file;
            // fewer bytes than the listing promised is a broken transfer.
            const auto listed = m_listedSizes.find(name);
            complete = listed == m_listedSizes.end() || received >= listed->second;
            ok = complete;
            break;
        }
        received += static_cast<uint64_t>(got);
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
    if (complete && closed && m_folder.MoveIntoPlace(partialName, localName))
        return true;
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
