#include "workers/ServerListThread.h"

#include "BuildConfig.h"
#include "log/RunLog.h"
#include "portal/PortalAddress.h"
#include "serverlist/ServerList.h"
#include "serverlist/Win32ServerList.h"
#include "signing/Win32SignedSource.h"
#include "win/Thread.h"

#include <windows.h>

namespace {

// The game's server cache image: 377 KB, in static storage, used by the
// server-list thread alone. Plain data, so nothing is destroyed under a
// thread that still runs while the process ends.
ServerCache g_serverCache;

void RefreshWithRealServices(const WorkerSettings& settings) {
    HttpFetch http(settings.Mode());
    ProfileStampStore stamps(settings.iniPath);
    WinsockResolver resolver;
    Win32ServerCacheFile cacheFile;
    Win32SignedSource signedSource(settings.signing, settings.iniPath);
    ServerListServices services{http,
                                stamps,
                                resolver,
                                cacheFile,
                                PortalUrl(build_config::kPortalHost, signedSource.Get()
                                                                         ? kSignedServerListPath
                                                                         : "/INFO/serverlist.inf"),
                                signedSource.Get()};
    RefreshServerList(g_serverCache, services);
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

bool StartServerListThread(const WorkerSettings& settings) {
    return win::StartThread([settings] { return ServerListThreadProc(settings); },
                            THREAD_PRIORITY_TIME_CRITICAL);
}
