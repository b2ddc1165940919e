#include "update/UpdateRun.h"

#include "update/FtpDownload.h"
#include "update/Manifest.h"
#include "update/UpdateCheck.h"

void RunUpdate(UpdateWorker& worker, UpdateServices& services) {
    IUpdateListener& listener = *worker.m_listener;
    listener.OnProgress(0.0f);
    listener.OnStatusText("Checking for update...");

    FtpDownload job(&worker, services.ftp, services.folder);
    std::string text;
    const bool fetched = services.http.Fetch(services.manifestUrl, text);
    const Manifest manifest = ParseManifest(text);
    // A portal that is down or answers with something else is a failed
    // update, not an up-to-date game: the player must be told.
    bool failed = !fetched || !manifest.valid;
    const UpdatePlan plan = CheckManifest(manifest, services.folder);
    if (!plan.fetchList.empty()) {
        job.m_files = plan.fetchList;
        failed = job.Run() == DownloadResult::kFailed || failed;
    }

    if (plan.selfUpdate) {
        services.selfUpdate.StartSelfUpdate();
        listener.OnSelfUpdateStarted();
        return;
    }
    if (failed)
        listener.OnStatusText(kUpdateFailedText);
    listener.OnUpdateFinished();
}
