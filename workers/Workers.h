#pragma once

#include "update/SignedUpdate.h"
#include "workers/Win32UpdateRelay.h"
#include "update/UpdateWorker.h"

#include <memory>
#include <string>

// The update work as the session and its thread share it: the stop request
// and the relay that carries the update's reports to the window. It lives as
// long as either needs it, however long the thread runs after the window
// closed.
struct UpdateWork {
    UpdateWorker worker;
    UpdateRelay relay;
};

// What each thread is given, as its own copy, when it starts: the settings
// file (which keeps the server list's stamp and the highest accepted signed
// sequences), and what the launcher was built with for signed updates.
struct WorkerSettings {
    std::string iniPath;
    SigningSettings signing;
};

// Both at THREAD_PRIORITY_TIME_CRITICAL; nothing waits for them. Each is given
// the real services: the portal over HTTP, the update FTP server, the game
// folder with its check cache, the self-update program, the game's server
// cache.
bool StartUpdateThread(const std::shared_ptr<UpdateWork>& work, const WorkerSettings& settings);
bool StartServerListThread(const WorkerSettings& settings);
