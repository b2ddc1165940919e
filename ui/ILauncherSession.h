#pragma once

#include "identity/AccountRecord.h"

#include <windows.h>

#include <string>

namespace ui {

// What the launcher window needs from the run that opened it: the player's
// portal login, the update and server-list work, and the player's choice.
class ILauncherSession {
public:
    // The cancel flag: the game starts when the window closes only if it is
    // kLaunchGame.
    static constexpr int kLaunchGame = 0;
    static constexpr int kNoLaunch = 1;

    virtual AccountRecord& GetAccount() = 0;
    // Called once, as the last step of the window's set-up: starts the update
    // and the server-list work. The update reports to window by the messages
    // of workers/WindowMessages.h until the window phase ends, never after.
    virtual void StartWorkers(HWND window) = 0;
    // The update's latest status text, for its status message.
    virtual std::string UpdateStatus() = 0;
    // Asks the update to stop after its current chunk.
    virtual void RequestStop() = 0;
    virtual void SetCancelled(int value) = 0;

protected:
    ~ILauncherSession() = default;
};

} // namespace ui
