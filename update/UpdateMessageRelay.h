#pragma once

#include "update/UpdateListener.h"

#include <windows.h>

#include <mutex>
#include <string>

// Hands the update thread's calls to a window's thread: every call becomes a
// posted message, and the window does the window work when the message
// arrives. The launcher window owns one, points it at itself and handles:
//   kProgressMessage   wParam = whole percentage: set the bar
//   kStatusMessage     show Status()
//   kFinishedMessage   the update has ended: enable "Launch!"
//   kSelfUpdateMessage "eu.exe" was started: close without launching
class UpdateMessageRelay : public IUpdateListener {
public:
    static constexpr UINT kProgressMessage = WM_USER + 1;
    static constexpr UINT kStatusMessage = WM_USER + 2;
    // Out of the WM_USER range the window's own messages use.
    static constexpr UINT kFinishedMessage = WM_APP + 1;
    static constexpr UINT kSelfUpdateMessage = WM_APP + 2;

    UpdateMessageRelay() = default;
    UpdateMessageRelay(const UpdateMessageRelay&) = delete;
    UpdateMessageRelay& operator=(const UpdateMessageRelay&) = delete;

    void SetWindow(HWND window) { m_hWnd = window; }
    // The latest status text, read on the window's thread.
    std::string Status();

    void OnProgress(float percent) override;
    void OnStatusText(const char* text) override;
    void OnUpdateFinished() override;
    void OnSelfUpdateStarted() override;

private:
    HWND m_hWnd = nullptr;
    // Written on the update thread, read on the window's thread.
    std::mutex m_statusLock;
    std::string m_strStatus;
    bool m_bFailed = false;
};
