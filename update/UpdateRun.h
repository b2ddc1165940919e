#pragma once

#include "net/FtpConnection.h"
#include "net/ITextFetch.h"
#include "signing/SignedUpdate.h"
#include "update/GameFolder.h"
#include "update/IUpdateListener.h"
#include "update/UpdateWorker.h"

#include <functional>
#include <string>

// Starts the self-update program "eu.exe" in the game folder; false when it
// could not be started.
class ISelfUpdateStarter {
public:
    virtual bool StartSelfUpdate() = 0;

protected:
    ~ISelfUpdateStarter() = default;
};

// What the update thread works with; the Win32 shell gives the real ones.
struct UpdateServices {
    ITextFetch& http;
    IFtpConnector& ftp;
    IGameFolder& folder;
    ISelfUpdateStarter& selfUpdate;
    std::string manifestUrl;
    // Set in a launcher built with the community's key: manifestUrl is then
    // the signed manifest's, and nothing else is taken.
    SignedSource* signedSource = nullptr;
    // Called once on the update thread just before the run's last listener
    // call: what must be on disk before the player can leave (the check
    // cache) is stored here, since the window may end the process as soon as
    // it hears that the run is over.
    std::function<void()> beforeLastCall = nullptr;
};

// The update thread's whole run: check, delete, download, hand-off, reported
// to listener and ended early by worker's stop request. Its last call to
// listener is OnUpdateFinished with how the run ended, also when a service
// threw (logged; the run then ends as failed). The launcher hands off and
// closes only when its new copy arrived whole and verified in this run and
// "eu.exe" was started; otherwise the run ends as a failed update and the
// player can still play.
void RunUpdate(UpdateWorker& worker, IUpdateListener& listener, UpdateServices& services);
