#pragma once

#include "update/UpdateRelay.h"
#include "update/UpdateWorker.h"

#include <memory>
#include <string>

// The update work as the session and its thread share it: the worker's state
// and the relay that carries its reports to the window. It lives as long as
// either needs it, however long the thread runs after the window closed.
struct UpdateWork {
    UpdateWork() { worker.m_listener = &relay; }
    UpdateWorker worker;
    UpdateRelay relay;
};

// What the server-list thread needs: the settings file, and what the
// launcher was built with for signed updates.
struct ServerListSettings {
    std::string iniPath;
    SigningSettings signing;
};

// Both at THREAD_PRIORITY_TIME_CRITICAL; nothing waits for them. Each is given
// the real services: the portal over HTTP, the update FTP server, the game
// folder with its check cache, the self-update program, the game's server
// cache.
bool StartUpdateThread(const std::shared_ptr<UpdateWork>& work);
bool StartServerListThread(const std::string& iniPath, const SigningSettings& signing);
