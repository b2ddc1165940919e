#pragma once

#include "update/FtpConnection.h"
#include "update/GameFolder.h"
#include "update/Manifest.h"
#include "update/UpdateWorker.h"

#include <string>
#include <vector>

enum class DownloadResult { kCompleted, kStopped, kFailed };

// Whether the bytes that arrived for a file are the file the manifest lists:
// its size and its CRC-32 both equal the entry's. Nothing else may replace a
// player's copy.
// An entry of a signed manifest also needs its SHA-256, since anyone can
// give other bytes the same size and CRC-32.
bool IsVerifiedDownload(const ManifestItem& item, uint64_t size, uint32_t crc,
                        const Sha256Digest& sha256);

// The download job: fetches the files of the fetch list from the update FTP
// server into the game folder, reporting the file being fetched and the
// progress over the whole download, and stops between two chunks when the
// player asked to. A file is written beside its target and put in place only
// when it arrived whole and verified; otherwise the old copy stays and the
// download ends as failed.
class FtpDownload {
public:
    // The unit of writing, of progress and of the stop check.
    static constexpr size_t kChunk = 1024;
    // What one read takes from the connection; it is handed on in chunks.
    static constexpr size_t kReadBlock = 64 * 1024;

    FtpDownload(UpdateWorker* worker, IFtpConnector& connector, IGameFolder& folder);
    FtpDownload(const FtpDownload&) = delete;
    FtpDownload& operator=(const FtpDownload&) = delete;

    DownloadResult Run();

    UpdateWorker* m_worker;
    std::vector<ManifestItem> m_files;
    // The manifest names of the files put in place by this run, in order.
    std::vector<std::string> m_placed;

private:
    bool FetchOne(IFtpConnection& connection, const ManifestItem& item, bool& stopped);
    // Posts progress only when the whole percentage changes: one message per
    // chunk would flood the window's queue on a fast link.
    void ReportProgress();

    IFtpConnector& m_connector;
    IGameFolder& m_folder;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    int m_lastWholePercent = 0;
};

// Percent of the whole download, within 0 to 100 whatever the listing claimed
// (a listing that understates a size must not drive it past the end); 0 while
// the total is unknown (no listed file was found by the sizing pass).
float DownloadPercent(uint64_t done, uint64_t total);
