#pragma once

#include "update/IUpdateListener.h"
#include "workers/WindowMessages.h"

#include <windows.h>

#include <mutex>
#include <string>

// Hands the update thread's calls to the launcher window's thread: while a
// window is attached every call becomes one of the messages of
// WindowMessages.h posted to it. One lock guards the window and the status:
// once Detach has returned no call reaches the window, and a call in progress
// has finished.
class UpdateRelay : public IUpdateListener {
public:
    UpdateRelay() = default;
    UpdateRelay(const UpdateRelay&) = delete;
    UpdateRelay& operator=(const UpdateRelay&) = delete;

    void Attach(HWND window);
    void Detach() { Attach(nullptr); }
    // The latest status text, read on the window's thread.
    std::string Status();

    void OnProgress(float percent) override;
    void OnStatusText(const char* text) override;
    void OnUpdateFinished(UpdateEnd end) override;

private:
    // With m_lock held.
    void Post(UINT message, WPARAM wParam);

    std::mutex m_lock;
    HWND m_hWnd = nullptr;
    std::string m_strStatus;
};
