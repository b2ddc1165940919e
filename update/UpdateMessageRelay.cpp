#include "update/UpdateMessageRelay.h"

#include "update/UpdateWorker.h"

#include <cstring>

std::string UpdateMessageRelay::Status() {
    std::lock_guard<std::mutex> lock(m_statusLock);
    return m_strStatus;
}

void UpdateMessageRelay::OnProgress(float percent) {
    // Truncated toward zero: 99.9 shows as 99.
    ::PostMessageA(m_hWnd, kProgressMessage, static_cast<WPARAM>(static_cast<int>(percent)), 0);
}

void UpdateMessageRelay::OnStatusText(const char* text) {
    {
        std::lock_guard<std::mutex> lock(m_statusLock);
        m_strStatus = text;
        m_bFailed = std::strcmp(text, kUpdateFailedText) == 0;
    }
    ::PostMessageA(m_hWnd, kStatusMessage, 0, 0);
}

void UpdateMessageRelay::OnUpdateFinished() {
    {
        std::lock_guard<std::mutex> lock(m_statusLock);
        // A failed update keeps saying so; "Launch!" is enabled all the same,
        // so the community can play while its update server is down.
        if (!m_bFailed)
            m_strStatus = kUpToDateText;
    }
    ::PostMessageA(m_hWnd, kStatusMessage, 0, 0);
    OnProgress(0.0f);
    ::PostMessageA(m_hWnd, kFinishedMessage, 0, 0);
}

void UpdateMessageRelay::OnSelfUpdateStarted() {
    ::PostMessageA(m_hWnd, kSelfUpdateMessage, 0, 0);
}
