#include "update/UpdateRun.h"

#include "update/FtpDownload.h"
#include "update/Manifest.h"
#include "update/UpdateCheck.h"

#include <algorithm>

void RunUpdate(UpdateWorker& worker, UpdateServices& services) {
    IUpdateListener& listener = *worker.m_listener;
    listener.OnProgress(0.0f);
    listener.OnStatusText("Checking for update...");

    FtpDownload job(&worker, services.ftp, services.folder);
    std::string text;
    const bool fetched = services.http.Fetch(services.manifestUrl, text);
    const Manifest manifest = ParseManifest(text);
    // A portal that is down or answers with something else is a failed
    // update, not an up-to-date game: the player must be told. So is a
    // manifest cut at the read limit, whose later files were never checked.
    bool failed = !fetched || !manifest.valid || manifest.cut;
    const UpdatePlan plan = CheckManifest(manifest, services.folder);
    if (!plan.fetchList.empty()) {
        job.m_files = plan.fetchList;
        failed = job.Run() == DownloadResult::kFailed || failed;
    }

    if (plan.selfUpdate) {
        const bool arrived = std::find(job.m_placed.begin(), job.m_placed.end(), kLauncherName) !=
                             job.m_placed.end();
        if (arrived && services.selfUpdate.StartSelfUpdate()) {
            listener.OnSelfUpdateStarted();
            return;
        }
        failed = true;
    }
    if (failed)
        listener.OnStatusText(kUpdateFailedText);
    listener.OnUpdateFinished();
}
