#pragma once

#include "update/IUpdateListener.h"
#include "update/SignedUpdate.h"

#include <mutex>
#include <string>

// The update worker's shared state. m_lock guards m_stopRequested and nothing
// else; the listener, the key and the settings path are set before the thread
// starts and never change. The session and the running update thread share
// it, so it lives as long as either needs it.
struct UpdateWorker {
    IUpdateListener* m_listener = nullptr;
    std::mutex m_lock;
    bool m_stopRequested = false;
    // What the launcher was built with for signed updates, and the settings
    // file that keeps the highest accepted sequences.
    SigningSettings m_signing;
    std::string m_iniPath;

    bool IsStopRequested() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_stopRequested;
    }
    void RequestStop() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopRequested = true;
    }
};
