#pragma once

#include "update/UpdateWorker.h"

#include <memory>
#include <string>

// The update thread. param is a heap copy of the session's shared pointer to
// its UpdateWorker, which the thread owns and releases: the worker stays
// valid however long the thread runs after the window and the session ended.
unsigned UpdateThreadProc(void* param);

// The server-list thread. param is a heap copy of the settings path, owned by
// the thread.
unsigned ServerListThreadProc(void* param);

// Both at THREAD_PRIORITY_TIME_CRITICAL; nothing waits for them.
bool StartUpdateThread(const std::shared_ptr<UpdateWorker>& worker);
bool StartServerListThread(const std::string& iniPath);

// Starts "eu.exe" from the game folder with an empty command line; the result
// of CreateProcessA.
int StartSelfUpdate();
