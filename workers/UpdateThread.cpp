#include "workers/UpdateThread.h"

#include "BuildConfig.h"
#include "log/RunLog.h"
#include "log/Win32LogFile.h"
#include "net/Win32Ftp.h"
#include "net/Win32HttpFetch.h"
#include "portal/PortalAddress.h"
#include "signing/Win32SignedSource.h"
#include "update/UpdateRun.h"
#include "update/Win32CheckCache.h"
#include "update/Win32GameFolder.h"
#include "win/Process.h"
#include "win/Thread.h"

#include <windows.h>

namespace {

// Starts "eu.exe" from the game folder with an empty command line.
class Win32SelfUpdate : public ISelfUpdateStarter {
public:
    bool StartSelfUpdate() override {
        if (win::RunProcess("eu.exe", std::string(), CREATE_NO_WINDOW, false))
            return true;
        LogLine("self-update: eu.exe: " + DescribeLastError());
        return false;
    }
};

void RunUpdateWithRealServices(UpdateWork& work, const WorkerSettings& settings) {
    HttpFetch http(settings.Mode());
    Win32FtpConnector ftp(build_config::kFtpHost, build_config::kFtpPort);
    Win32GameFolder folder;
    Win32FileStamps stamps;
    CheckCache cache = LoadCheckCache(kCheckCacheFile);
    CachedGameFolder cachedFolder(folder, stamps, cache);
    Win32SelfUpdate selfUpdate;
    Win32SignedSource signedSource(settings.signing, settings.iniPath);
    UpdateServices services{http,
                            ftp,
                            cachedFolder,
                            selfUpdate,
                            PortalUrl(build_config::kPortalHost,
                                      signedSource.Get() ? kSignedManifestPath : "/files.php"),
                            signedSource.Get()};
    services.beforeLastCall = [&cachedFolder, &cache] {
        // A run that checked nothing (no manifest) leaves the stored cache as it is.
        if (!cachedFolder.Consulted())
            return;
        std::string line = "check cache: " + std::to_string(cachedFolder.Remembered()) +
                           " CRCs taken from " + kCheckCacheFile + " without reading, " +
                           std::to_string(cachedFolder.Read()) + " files read";
        if (cache.Changed())
            line += SaveCheckCache(kCheckCacheFile, cache) ? "; stored" : "; could not be stored";
        LogLine(line);
    };
    RunUpdate(work.worker, work.relay, services);
}

// The thread's copy of the shared pointer keeps the work alive while it runs.
unsigned UpdateThreadProc(const std::shared_ptr<UpdateWork>& work, const WorkerSettings& settings) {
    try {
        RunUpdateWithRealServices(*work, settings);
    } catch (...) {
        // Only setting up the services can get here (the run itself ends
        // with its last call whatever happens inside); the window still
        // waits for that call to enable "Launch!".
        LogCaughtException("the update thread");
        work->relay.OnUpdateFinished(UpdateEnd::kFailed);
    }
    return 0;
}

} // namespace

bool StartUpdateThread(const std::shared_ptr<UpdateWork>& work, const WorkerSettings& settings) {
    return win::StartThread([work, settings] { return UpdateThreadProc(work, settings); },
                            THREAD_PRIORITY_TIME_CRITICAL);
}
