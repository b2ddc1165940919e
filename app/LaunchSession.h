#pragma once

#include "identity/AccountRecord.h"
#include "update/UpdateWorker.h"

#include <memory>
#include <string>

// The record of one run of the launcher: built at start-up, shared with the
// window and the worker threads while the window is open, read by the launch
// phase after it closes.
class LaunchSession {
public:
    // signingKey: the community's public key when the launcher was built with
    // one; then only signed updates are taken.
    explicit LaunchSession(std::string signingKey = std::string());
    ~LaunchSession();
    LaunchSession(const LaunchSession&) = delete;
    LaunchSession& operator=(const LaunchSession&) = delete;

    // Runs the launcher window modally and, when the player chose "Launch!",
    // the launch phase.
    void Run();

    // The cancel flag: the game starts when the window closes only if it is
    // kLaunchGame.
    static constexpr int kLaunchGame = 0;
    static constexpr int kNoLaunch = 1;
    void SetCancelled(int value) { m_cancelled = value; }
    int IsCancelled() const { return m_cancelled; }
    AccountRecord& GetAccount() { return m_account; }
    const std::string& GetIniPath() const { return m_iniPath; }

    // Called once by the launcher window, as the last step of its set-up:
    // starts the update thread, reporting to listener, and the server-list
    // thread. The listener is called until the window phase ends (Run
    // detaches it), never after.
    void StartWorkers(IUpdateListener* listener);
    void StartServerListThread();

    // Asks the update worker to stop after its current chunk.
    void RequestStop();
    bool IsStopRequested();

    // The launch phase, in this order. When the game cannot be started the
    // player is told why in a message box; the configuration is restored all
    // the same.
    void StageGameConfig();
    void LaunchGame();
    void RestoreGameConfig();

private:
    void HideAccountValues();

    int m_cancelled;
    std::string m_iniPath;
    // Shared with the update thread, which may outlive the session.
    std::shared_ptr<UpdateWorker> m_updater;
    AccountRecord m_account;
};

// Starts the game with the command line and waits until it has ended; false,
// with the system's reason, when it could not be started.
bool StartGameAndWait(const std::string& commandLine, std::string& reason);
