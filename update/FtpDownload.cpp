#include "update/FtpDownload.h"

#include "digest/Crc32.h"
#include "log/RunLog.h"
#include "update/UpdateCheck.h"

#include <algorithm>
#include <thread>

namespace {

// Written beside its target and moved into place only when complete, so an
// interrupted download never replaces the player's good copy with a piece.
std::string PartialName(const std::string& localName) {
    return localName + ".part";
}

std::string Differs(const char* what, const std::string& listed, const std::string& received) {
    return std::string(what) + " differs (listed " + listed + ", received " + received + ")";
}

long long MillisecondsSince(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started)
        .count();
}

} // namespace

// The bytes of one file written so far, and the checks over all of them.
struct FtpDownload::Partial {
    std::string name;
    std::unique_ptr<ILocalFile> file;
    uint64_t received = 0;
    uint32_t crc = kCrc32Start;
    Sha256 sha256;
    // Some bytes came from an earlier transfer than the last one (a restart
    // within the run, or a partial file of an earlier start).
    bool pieced = false;

    void Take(const void* data, size_t length, bool withSha256) {
        crc = Crc32Update(crc, data, length);
        if (withSha256)
            sha256.Update(data, length);
        received += length;
    }
};

std::string VerificationFailure(const ManifestItem& item, uint64_t size, uint32_t crc,
                                const Sha256Digest& sha256) {
    if (size != item.size)
        return Differs("size", std::to_string(item.size) + " bytes", std::to_string(size));
    if (crc != item.crc)
        return Differs("CRC-32", std::to_string(item.crc), std::to_string(crc));
    if (item.hasSha256 && sha256 != item.sha256)
        return Differs("SHA-256", DigestHex(item.sha256), DigestHex(sha256));
    return std::string();
}

float DownloadPercent(uint64_t done, uint64_t total) {
    if (total == 0)
        return 0.0f;
    if (done >= total)
        return 100.0f;
    return static_cast<float>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

FtpDownload::FtpDownload(UpdateWorker& worker, IUpdateListener& listener, IFtpConnector& connector,
                         IGameFolder& folder)
    : m_worker(worker), m_listener(listener), m_connector(connector), m_folder(folder) {}

DownloadOutcome FtpDownload::Run(const std::vector<ManifestItem>& files) {
    DownloadOutcome outcome;
    m_connection = m_connector.Connect();
    if (!m_connection) {
        LogLine("download: no connection to the update server; nothing fetched");
        return outcome;
    }
    // The manifest's sizes are the ones a download must match anyway: no
    // request to the server is needed before the first byte.
    m_total = 0;
    m_done = 0;
    m_lastWholePercent = 0;
    for (const ManifestItem& item : files)
        m_total += item.size;
    m_block.resize(kReadBlock);
    bool failed = false;
    for (size_t i = 0; i < files.size(); ++i) {
        const Outcome fetched = FetchOne(files[i]);
        if (fetched == Outcome::kStopped) {
            outcome.result = DownloadResult::kStopped;
            return outcome;
        }
        if (fetched == Outcome::kPlaced)
            outcome.placed.push_back(files[i].name);
        failed = failed || fetched == Outcome::kFailed;
        if (!m_connection && i + 1 < files.size()) {
            // The server went away and its retries did not bring it back:
            // waiting through them again for every further file helps nobody.
            LogLine("download: the update server cannot be reached any more; " +
                    std::to_string(files.size() - i - 1) + " files not fetched");
            return outcome;
        }
    }
    outcome.result = failed ? DownloadResult::kFailed : DownloadResult::kCompleted;
    return outcome;
}

bool FtpDownload::StartAfresh(const ManifestItem& item, Partial& partial) {
    if (partial.file)
        partial.file->Close();
    m_done -= std::min(m_done, partial.received);
    const std::string name = partial.name;
    partial = Partial();
    partial.name = name;
    partial.file = m_folder.CreateLocalFile(name);
    if (!partial.file)
        LogLine("fetch " + item.name + ": " + name + " could not be created");
    return partial.file != nullptr;
}

FtpDownload::Outcome FtpDownload::FetchOne(const ManifestItem& item) {
    const auto started = std::chrono::steady_clock::now();
    const std::string localName = LocalNameFor(item.name);
    m_listener.OnStatusText(("Downloading " + item.name + "...").c_str());

    Partial partial;
    partial.name = PartialName(localName);
    // A piece left by an earlier start is continued, unless it is already
    // longer than the file can be. Its bytes are read back for the checks.
    partial.file = m_folder.AppendLocalFile(partial.name, [&](const void* data, size_t length) {
        if (partial.received + length > item.size)
            return false;
        partial.Take(data, length, item.hasSha256);
        return true;
    });
    if (partial.file && partial.received > 0) {
        partial.pieced = true;
        m_done += partial.received;
        LogLine("fetch " + item.name + ": going on from byte " + std::to_string(partial.received) +
                " of the partial copy of an earlier start");
    } else {
        // What a refused piece handed over was never counted as done.
        partial.received = 0;
        if (!StartAfresh(item, partial))
            return Outcome::kFailed;
    }

    auto fail = [&](const std::string& why, bool keepPartial) {
        partial.file.reset();
        if (!keepPartial)
            m_folder.DeleteLocalFile(partial.name);
        LogLine("fetch " + item.name + ": " + why + ", " +
                std::to_string(MillisecondsSince(started)) + " ms; the old copy stays");
        return Outcome::kFailed;
    };
    int retries = 0;
    bool refetched = false;
    for (;;) {
        std::string why;
        const Transfer transfer = TransferOnce(item, partial, why);
        if (transfer == Transfer::kStopped) {
            // Kept for the next start, which goes on from here.
            partial.file->Close();
            LogLine("fetch " + item.name + ": stopped by the player at byte " +
                    std::to_string(partial.received) + " of " + std::to_string(item.size));
            return Outcome::kStopped;
        }
        if (transfer == Transfer::kRefused || transfer == Transfer::kFlood ||
            transfer == Transfer::kUnwritable)
            return fail(why, false);
        if (transfer == Transfer::kBroken) {
            if (retries == kRetries)
                return fail(why + "; given up after " + std::to_string(kRetries + 1) + " tries",
                            partial.file->Close());
            const auto pause = m_retryPause * (1 << retries);
            ++retries;
            LogLine("fetch " + item.name + ": " + why + "; trying again from byte " +
                    std::to_string(partial.received) + " in " + std::to_string(pause.count()) +
                    " ms");
            if (!Pause(pause)) {
                partial.file->Close();
                return Outcome::kStopped;
            }
            if (!m_connection || m_connection->IsBroken()) {
                m_connection.reset();
                m_connection = m_connector.Connect();
            }
            continue;
        }
        // The transfer ended at the listed size.
        if (!partial.file->Close())
            return fail(std::to_string(partial.received) + " bytes arrived but " + partial.name +
                            " could not be written",
                        false);
        partial.file.reset();
        const uint32_t crc = Crc32Finish(partial.crc);
        const std::string differs = VerificationFailure(
            item, partial.received, crc, item.hasSha256 ? partial.sha256.Finish() : Sha256Digest{});
        if (!differs.empty() && partial.pieced && !refetched) {
            // A piece from an earlier transfer may be what is wrong (a server
            // that restarts at the wrong byte, a partial file damaged since).
            LogLine("fetch " + item.name + ": " + differs +
                    " after a restart; fetching it once more from the start");
            refetched = true;
            if (!StartAfresh(item, partial))
                return fail("could not start again", false);
            continue;
        }
        if (!differs.empty())
            return fail(differs, false);
        if (!m_folder.MoveIntoPlace(partial.name, localName))
            return fail("verified but could not be put in place", false);
        // The launcher's own new copy goes by another name and is not checked.
        if (localName == item.name)
            m_folder.PlacedVerified(localName, item.crc);
        LogLine("fetch " + item.name + ": " + std::to_string(partial.received) + " bytes, CRC " +
                std::to_string(crc) + ", " + std::to_string(MillisecondsSince(started)) +
                " ms: verified and put in place" +
                (retries ? " (after " + std::to_string(retries) + " retries)" : std::string()));
        return Outcome::kPlaced;
    }
}

FtpDownload::Transfer FtpDownload::TransferOnce(const ManifestItem& item, Partial& partial,
                                                std::string& why) {
    const std::string remoteName = RemoteNameFor(item.name);
    if (!m_connection) {
        why = "no connection to the update server";
        return Transfer::kBroken;
    }
    uint64_t from = partial.received;
    const std::unique_ptr<IRemoteFile> remote = m_connection->OpenRemoteFile(remoteName, from);
    if (!remote) {
        const bool broken = m_connection->IsBroken();
        why = broken ? "the connection broke while opening " + remoteName
                     : "the server did not open " + remoteName;
        return broken ? Transfer::kBroken : Transfer::kRefused;
    }
    if (from != partial.received) {
        LogLine("fetch " + item.name + ": the server will not go on from byte " +
                std::to_string(partial.received) + "; fetching from the start");
        if (!StartAfresh(item, partial)) {
            why = "could not start again";
            return Transfer::kUnwritable;
        }
    }
    partial.pieced = partial.pieced || from > 0;
    for (;;) {
        // One byte more than the file can still hold tells its end from a
        // server that sends too much, without taking anything beyond it.
        const uint64_t left = item.size - partial.received;
        const size_t want = static_cast<size_t>(std::min<uint64_t>(m_block.size(), left + 1));
        const long long got = remote->Read(m_block.data(), want);
        if (got < 0 || (got == 0 && left > 0)) {
            why = "the transfer broke off at byte " + std::to_string(partial.received) + " of " +
                  std::to_string(item.size);
            return Transfer::kBroken;
        }
        if (got == 0)
            return Transfer::kEnded;
        if (static_cast<uint64_t>(got) > left) {
            why = "the server sent more than the listed " + std::to_string(item.size) +
                  " bytes; cut off";
            return Transfer::kFlood;
        }
        if (!partial.file->Write(m_block.data(), static_cast<size_t>(got))) {
            why = partial.name + " could not be written";
            return Transfer::kUnwritable;
        }
        partial.Take(m_block.data(), static_cast<size_t>(got), item.hasSha256);
        m_done += static_cast<uint64_t>(got);
        ReportProgress();
        if (m_worker.IsStopRequested())
            return Transfer::kStopped;
    }
}

bool FtpDownload::Pause(std::chrono::milliseconds length) {
    // In short steps, so that a stop request ends the wait at once.
    const auto until = std::chrono::steady_clock::now() + length;
    while (!m_worker.IsStopRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            until - now, std::chrono::milliseconds(10)));
    }
    return false;
}

void FtpDownload::ReportProgress() {
    const float percent = DownloadPercent(m_done, m_total);
    const int whole = static_cast<int>(percent);
    if (whole == m_lastWholePercent)
        return;
    m_lastWholePercent = whole;
    m_listener.OnProgress(percent);
}
