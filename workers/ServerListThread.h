#pragma once

#include "workers/WorkerSettings.h"

// The server-list thread, at THREAD_PRIORITY_TIME_CRITICAL; nothing waits for
// it. It is given the real services (the portal over HTTP, the name resolver,
// the game's server cache file) and reports to nobody: the log says what it
// did.
bool StartServerListThread(const WorkerSettings& settings);
