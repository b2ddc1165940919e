#pragma once

#include "update/ListenerGate.h"

#include <mutex>
#include <string>

// The status line of an update that could not be done: the manifest could not
// be fetched or read, or the download broke off. The worker reports it just
// before OnUpdateFinished, which then keeps it instead of "Up to date".
constexpr const char kUpdateFailedText[] = "Update failed";
constexpr const char kUpToDateText[] = "Up to date";

// The update worker's shared state. m_lock guards m_stopRequested and nothing
// else; the listener is set before the thread starts and never changes. The
// session and the running update thread share it, so it lives as long as
// either needs it; m_listener points at m_gate, which forwards to the window
// only while the window is attached.
struct UpdateWorker {
    IUpdateListener* m_listener = nullptr;
    std::mutex m_lock;
    bool m_stopRequested = false;
    ListenerGate m_gate;
    // Set before the thread starts, like the listener: the community's public
    // key when the launcher was built with one (else empty), and the settings
    // file that keeps the highest accepted sequences.
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
