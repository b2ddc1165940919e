#pragma once

#include "update/FtpConnection.h"
#include "update/GameFolder.h"
#include "update/UpdateWorker.h"

#include <map>
#include <string>
#include <vector>

enum class DownloadResult { kCompleted, kStopped, kFailed };

// The download job: fetches the files of the fetch list from the update FTP
// server into the game folder, reporting the file being fetched and the
// progress over the whole download, and stops between two chunks when the
// player asked to.
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
    std::vector<std::string> m_files;

private:
    bool FetchOne(IFtpConnection& connection, const std::string& name, bool& stopped);
    // Posts progress only when the whole percentage changes: one message per
    // chunk would flood the window's queue on a fast link.
    void ReportProgress();

    IFtpConnector& m_connector;
    IGameFolder& m_folder;
    std::map<std::string, uint64_t> m_listedSizes;
    uint64_t m_total = 0;
    uint64_t m_done = 0;
    int m_lastWholePercent = 0;
};

// Percent of the whole download; 0 while the total is unknown (no listed file
// was found by the sizing pass).
float DownloadPercent(uint64_t done, uint64_t total);
