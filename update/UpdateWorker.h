#pragma once

#include <mutex>

// What the window's thread and the running update thread share: the player's
// stop request, made on the window's thread and read by the update between
// reads. The update work holds it, so it lives as long as either needs it.
struct UpdateWorker {
    std::mutex m_lock;
    bool m_stopRequested = false;

    bool IsStopRequested() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_stopRequested;
    }
    void RequestStop() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopRequested = true;
    }
};
