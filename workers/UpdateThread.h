#pragma once

#include "update/UpdateWorker.h"
#include "workers/Win32UpdateRelay.h"
#include "workers/WorkerSettings.h"

#include <memory>

// The update work as the session and its thread share it: the stop request
// and the relay that carries the update's reports to the window. It lives as
// long as either needs it, however long the thread runs after the window
// closed.
struct UpdateWork {
    UpdateWorker worker;
    UpdateRelay relay;
};

// The update thread, at THREAD_PRIORITY_TIME_CRITICAL; nothing waits for it.
// It is given the real services (the portal over HTTP, the update FTP server,
// the game folder with its check cache, the self-update program), reports
// through work's relay and stops at work's stop request.
bool StartUpdateThread(const std::shared_ptr<UpdateWork>& work, const WorkerSettings& settings);
