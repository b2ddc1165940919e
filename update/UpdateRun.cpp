#include "update/UpdateRun.h"

#include "log/RunLog.h"
#include "update/FtpDownload.h"
#include "update/Manifest.h"
#include "update/SelfUpdateFiles.h"
#include "update/SignedManifest.h"
#include "update/UpdateCheck.h"

#include <algorithm>

namespace {

// why: what was wrong when the manifest is not valid.
void LogManifest(const Manifest& manifest, const char* why) {
    if (!manifest.valid) {
        LogLine(std::string("manifest: ") + why + "; nothing checked");
        return;
    }
    size_t deletions = 0;
    for (const ManifestItem& item : manifest.items)
        deletions += item.isDelete ? 1 : 0;
    LogLine("manifest: " + std::to_string(manifest.items.size() - deletions) + " files, " +
            std::to_string(deletions) + " to delete, " + std::to_string(manifest.skipped.size()) +
            " lines skipped");
    for (const std::string& skipped : manifest.skipped)
        LogLine("manifest line skipped, " + skipped);
    if (manifest.cut)
        LogLine("manifest: cut at the read limit; the lines after the cut were not checked");
}

// eu.exe keeps a new launcher that it could not put in place as
// "vemor.failed" and starts the old one again. Fetching and handing over the
// same launcher on every start would keep the player from ever reaching
// "Launch!", so a listed launcher of that size and CRC is left out.
bool HandOffFailedBefore(const std::vector<ManifestItem>& fetchList, IGameFolder& folder) {
    const auto listed =
        std::find_if(fetchList.begin(), fetchList.end(),
                     [](const ManifestItem& item) { return item.name == kLauncherName; });
    uint32_t size = 0;
    uint32_t crc = 0;
    return listed != fetchList.end() && folder.GetLocalFileSize(kFailedLauncherName, size) &&
           size == listed->size && folder.ComputeFileCrc32(kFailedLauncherName, crc) == 0 &&
           crc == listed->crc;
}

// Everything of the run before its last call; how the run ended.
UpdateEnd CheckAndDownload(UpdateWorker& worker, IUpdateListener& listener,
                           UpdateServices& services) {
    listener.OnProgress(0.0f);
    listener.OnStatusText("Checking for update...");

    Manifest manifest;
    // The request's own line says how the portal answered.
    const char* why = "the request failed";
    if (services.signedSource) {
        manifest = FetchSignedManifest(*services.signedSource, services.manifestUrl);
        why = "no good signed manifest";
    } else {
        std::string text;
        if (services.http.Fetch(services.manifestUrl, kManifestLimit, text)) {
            manifest = ParseManifest(text);
            why = "not a manifest (its first line is not \"#\")";
        }
    }
    // A portal that is down or answers with something else (or, for a
    // launcher with a key, with anything but a good signed manifest) is a
    // failed update, not an up-to-date game: the player must be told. So is a
    // manifest cut at the read limit, whose later files were never checked,
    // and a file the manifest deletes that is still there.
    bool failed = !manifest.valid || manifest.cut;
    bool stopped = false;
    std::vector<std::string> placed;
    LogManifest(manifest, why);
    UpdatePlan plan = DeleteAndListOutdated(manifest, services.folder);
    failed = failed || plan.deleteFailed;
    const bool failedBefore =
        plan.selfUpdate && HandOffFailedBefore(plan.fetchList, services.folder);
    if (failedBefore)
        plan.fetchList.erase(
            std::remove_if(plan.fetchList.begin(), plan.fetchList.end(),
                           [](const ManifestItem& item) { return item.name == kLauncherName; }),
            plan.fetchList.end());
    if (!plan.fetchList.empty()) {
        FtpDownload job(worker, listener, services.ftp, services.folder);
        DownloadOutcome downloaded = job.Run(plan.fetchList);
        failed = failed || downloaded.result == DownloadResult::kFailed;
        stopped = downloaded.result == DownloadResult::kStopped;
        placed = std::move(downloaded.placed);
    }

    UpdateEnd end = failed    ? UpdateEnd::kFailed
                    : stopped ? UpdateEnd::kStopped
                              : UpdateEnd::kUpToDate;
    if (failedBefore) {
        LogLine(std::string("self-update: eu.exe could not put this launcher in place before (") +
                kFailedLauncherName +
                " has its size and CRC); no hand-off until another is listed or " +
                kFailedLauncherName + " is deleted");
        end = UpdateEnd::kFailed;
    } else if (plan.selfUpdate) {
        const bool arrived = std::find(placed.begin(), placed.end(), kLauncherName) != placed.end();
        if (arrived && services.selfUpdate.StartSelfUpdate()) {
            LogLine("self-update: eu.exe started with the new launcher; the launcher closes");
            end = UpdateEnd::kSelfUpdate;
        } else {
            LogLine(arrived ? "self-update: eu.exe could not be started; no hand-off"
                            : "self-update: the new launcher did not arrive; no hand-off");
            end = UpdateEnd::kFailed;
        }
    }
    return end;
}

} // namespace

void RunUpdate(UpdateWorker& worker, IUpdateListener& listener, UpdateServices& services) {
    // Whatever goes wrong inside, the window hears how the run ended: it
    // keeps "Launch!" disabled until then.
    UpdateEnd end = UpdateEnd::kFailed;
    try {
        end = CheckAndDownload(worker, listener, services);
    } catch (...) {
        LogCaughtException("the update");
    }
    if (end != UpdateEnd::kSelfUpdate)
        LogLine(end == UpdateEnd::kFailed    ? "update: failed"
                : end == UpdateEnd::kStopped ? "update: stopped by the player"
                                             : "update: up to date");
    try {
        if (services.beforeLastCall)
            services.beforeLastCall();
    } catch (...) {
        LogCaughtException("storing the check cache");
    }
    listener.OnUpdateFinished(end);
}
