#include "workers/Workers.h"

#include "BuildConfig.h"
#include "portal/PortalAddress.h"
#include "update/HttpFetch.h"
#include "update/RunLog.h"
#include "update/ServerList.h"
#include "update/UpdateRun.h"
#include "update/Win32CheckCache.h"
#include "update/Win32Ftp.h"
#include "update/Win32GameFolder.h"
#include "update/Win32LogFile.h"
#include "update/Win32ServerList.h"
#include "update/Win32SignedSource.h"
#include "win/Process.h"
#include "win/Thread.h"

#include <windows.h>

namespace {

std::string PortalUrl(const char* path) {
    return ::PortalUrl(build_config::kPortalHost, path);
}

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

// The game's server cache image: 377 KB, in static storage, used by the
// server-list thread alone. Plain data, so nothing is destroyed under a
// thread that still runs while the process ends.
ServerCache g_serverCache;

UpdateMode ModeFor(const std::string& signingKey) {
    return signingKey.empty() ? UpdateMode::kPlain : UpdateMode::kSigned;
}

void RunUpdateWithRealServices(UpdateWork& work, const WorkerSettings& settings) {
    HttpFetch http(ModeFor(settings.signing.publicKey));
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
                            PortalUrl(signedSource.Get() ? kSignedManifestPath : "/files.php"),
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

void RefreshWithRealServices(const WorkerSettings& settings) {
    HttpFetch http(ModeFor(settings.signing.publicKey));
    ProfileStampStore stamps(settings.iniPath);
    WinsockResolver resolver;
    Win32ServerCacheFile cacheFile;
    Win32SignedSource signedSource(settings.signing, settings.iniPath);
    ServerListServices services{
        http,
        stamps,
        resolver,
        cacheFile,
        PortalUrl(signedSource.Get() ? kSignedServerListPath : "/INFO/serverlist.inf"),
        signedSource.Get()};
    RefreshServerList(g_serverCache, services);
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

unsigned ServerListThreadProc(const WorkerSettings& settings) {
    try {
        RefreshWithRealServices(settings);
    } catch (...) {
        LogCaughtException("the server-list thread");
    }
    return 0;
}

} // namespace

bool StartUpdateThread(const std::shared_ptr<UpdateWork>& work, const WorkerSettings& settings) {
    return win::StartThread([work, settings] { return UpdateThreadProc(work, settings); },
                            THREAD_PRIORITY_TIME_CRITICAL);
}

bool StartServerListThread(const WorkerSettings& settings) {
    return win::StartThread([settings] { return ServerListThreadProc(settings); },
                            THREAD_PRIORITY_TIME_CRITICAL);
}
