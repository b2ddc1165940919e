#include "workers/Win32UpdateRelay.h"

using window_messages::kEndedMessage;
using window_messages::kProgressMessage;
using window_messages::kStatusMessage;

void UpdateRelay::Attach(HWND window) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_hWnd = window;
}

std::string UpdateRelay::Status() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_strStatus;
}

void UpdateRelay::Post(UINT message, WPARAM wParam) {
    if (m_hWnd)
        ::PostMessageA(m_hWnd, message, wParam, 0);
}

void UpdateRelay::OnProgress(float percent) {
    std::lock_guard<std::mutex> lock(m_lock);
    // Truncated toward zero: 99.9 shows as 99.
    Post(kProgressMessage, static_cast<WPARAM>(static_cast<int>(percent)));
}

void UpdateRelay::OnStatusText(const char* text) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_strStatus = text;
    Post(kStatusMessage, 0);
}

void UpdateRelay::OnUpdateFinished(UpdateEnd end) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (end != UpdateEnd::kSelfUpdate) {
        // A failed update says so; "Launch!" is enabled all the same, so the
        // community can play while its update server is down. A stopped run
        // keeps its last status: the window is closing.
        if (end == UpdateEnd::kUpToDate)
            m_strStatus = "Up to date";
        else if (end == UpdateEnd::kFailed)
            m_strStatus = "Update failed";
        Post(kStatusMessage, 0);
        Post(kProgressMessage, 0);
    }
    Post(kEndedMessage, static_cast<WPARAM>(end));
}
