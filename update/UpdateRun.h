#pragma once

#include "update/FtpConnection.h"
#include "update/GameFolder.h"
#include "update/TextFetch.h"
#include "update/UpdateWorker.h"

#include <string>

// Starts the self-update program "eu.exe" in the game folder.
class ISelfUpdateStarter {
public:
    virtual void StartSelfUpdate() = 0;

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
};

// The update thread's whole run: check, delete, download, hand-off. Its last
// call to the listener is exactly one of OnUpdateFinished and
// OnSelfUpdateStarted.
void RunUpdate(UpdateWorker& worker, UpdateServices& services);
