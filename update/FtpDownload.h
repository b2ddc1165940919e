#pragma once

#include "net/FtpConnection.h"
#include "update/GameFolder.h"
#include "update/IUpdateListener.h"
#include "update/Manifest.h"
#include "update/UpdateWorker.h"

#include <chrono>
#include <string>
#include <vector>

enum class DownloadResult { kCompleted, kStopped, kFailed };

// How a download ended, and the manifest names of the files it put in place,
// in order (also those placed before a stop or a failure).
struct DownloadOutcome {
    DownloadResult result = DownloadResult::kFailed;
    std::vector<std::string> placed;
};

// What keeps the bytes that arrived for a file from being the file the
// manifest lists, for the log: "CRC-32 differs (listed 1234, received 5678)";
// empty when size, CRC-32 and (for an entry of a signed manifest, since
// anyone can give other bytes the same size and CRC-32) SHA-256 all equal the
// entry's. Nothing else may replace a player's copy.
std::string VerificationFailure(const ManifestItem& item, uint64_t size, uint32_t crc,
                                const Sha256Digest& sha256);

// The download job: fetches the files of a fetch list from the update FTP
// server into the game folder, reporting the file being fetched and the
// progress over the whole download to the listener, on the calling thread. A
// file is written beside its target (".part") and put in place only when it
// arrived whole and verified.
//
// A file that cannot be fetched is logged and skipped, and the later ones are
// still fetched; the download then ends as failed. A transfer that breaks off
// is tried again from the bytes already written, after a short pause, on a
// new connection when the old one broke; a partial file from an earlier start
// (or a stop) is continued the same way. A stop request ends the download
// after the read in progress, keeping the partial file for the next start.
class FtpDownload {
public:
    // What one read asks of the connection; a server that sends more than a
    // file's listed size is cut off before any byte beyond it is written.
    static constexpr size_t kReadBlock = 64 * 1024;
    // Tries after the first, per file, for transfers that break off.
    static constexpr int kRetries = 3;

    // worker: whose stop request ends the download.
    FtpDownload(UpdateWorker& worker, IUpdateListener& listener, IFtpConnector& connector,
                IGameFolder& folder);
    FtpDownload(const FtpDownload&) = delete;
    FtpDownload& operator=(const FtpDownload&) = delete;

    DownloadOutcome Run(const std::vector<ManifestItem>& files);

    // The pause before a file's first retry; it doubles for each further one.
    std::chrono::milliseconds m_retryPause{1000};

private:
    struct Partial;
    enum class Outcome { kPlaced, kFailed, kStopped };
    enum class Transfer { kEnded, kBroken, kRefused, kFlood, kUnwritable, kStopped };

    Outcome FetchOne(const ManifestItem& item);
    Transfer TransferOnce(const ManifestItem& item, Partial& partial, std::string& why);
    bool StartAfresh(const ManifestItem& item, Partial& partial);
    // False when the player asked to stop during the pause.
    bool Pause(std::chrono::milliseconds length);
    // Posts progress only when the whole percentage changes: one message per
    // read would flood the window's queue on a fast link.
    void ReportProgress();

    UpdateWorker& m_worker;
    IUpdateListener& m_listener;
    IFtpConnector& m_connector;
    IGameFolder& m_folder;
    std::unique_ptr<IFtpConnection> m_connection;
    std::vector<unsigned char> m_block;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    int m_lastWholePercent = 0;
};

// Percent of the whole download, within 0 to 100; 0 while the total is 0.
float DownloadPercent(uint64_t done, uint64_t total);
