#pragma once

#include "update/IUpdateListener.h"

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
    // The community's public key when the launcher was built with one (else
    // empty), and the settings file that keeps the highest accepted sequences.
    std::string m_signingKey;
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
