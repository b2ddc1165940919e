#pragma once

#include "identity/AccountRecord.h"
#include "signing/SignedUpdate.h"
#include "ui/ILauncherSession.h"

#include <memory>
#include <string>

struct UpdateWork;

// The record of one run of the launcher: built at start-up, shared with the
// window and the worker threads while the window is open, read by the launch
// phase after it closes.
class LaunchSession : public ui::ILauncherSession {
public:
    // signing: what the launcher was built with; with a key only signed
    // updates are taken.
    explicit LaunchSession(SigningSettings signing = SigningSettings());
    ~LaunchSession();
    LaunchSession(const LaunchSession&) = delete;
    LaunchSession& operator=(const LaunchSession&) = delete;

    // Runs the launcher window modally and, when the player chose "Launch!",
    // the launch phase.
    void Run();

    void SetCancelled(int value) override { m_cancelled = value; }
    int IsCancelled() const { return m_cancelled; }
    AccountRecord& GetAccount() override { return m_account; }
    const std::string& GetIniPath() const { return m_iniPath; }

    // Starts the update thread, reporting to window through the update's
    // relay, and the server-list thread. Run detaches the window when the
    // window phase ends.
    void StartWorkers(HWND window) override;
    void StartServerListThread();
    std::string UpdateStatus() override;
    void RequestStop() override;

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
    // What the launcher was built with for signed updates; each worker gets
    // its own copy.
    SigningSettings m_signing;
    // Shared with the update thread, which may outlive the session.
    std::shared_ptr<UpdateWork> m_updater;
    AccountRecord m_account;
};

// Starts the game with the command line and waits until it has ended; false,
// with the system's reason, when it could not be started.
bool StartGameAndWait(const std::string& commandLine, std::string& reason);
