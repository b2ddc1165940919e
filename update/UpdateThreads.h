#pragma once

#include "update/UpdateWorker.h"

#include <memory>
#include <string>

// The update thread. param is a heap copy of the session's shared pointer to
// its UpdateWorker, which the thread owns and releases: the worker stays
// valid however long the thread runs after the window and the session ended.
unsigned UpdateThreadProc(void* param);

// What the server-list thread needs: the settings file, and the community's
// public key when the launcher was built with one (else empty).
struct ServerListSettings {
    std::string iniPath;
    std::string signingKey;
};

// The server-list thread. param is a heap ServerListSettings, owned by the
// thread.
unsigned ServerListThreadProc(void* param);

// Both at THREAD_PRIORITY_TIME_CRITICAL; nothing waits for them.
bool StartUpdateThread(const std::shared_ptr<UpdateWorker>& worker);
bool StartServerListThread(const std::string& iniPath, const std::string& signingKey);

// Starts "eu.exe" from the game folder with an empty command line; the result
// of CreateProcessA.
int StartSelfUpdate();
