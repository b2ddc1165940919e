#pragma once

#include "net/Win32HttpFetch.h"
#include "signing/SignedUpdate.h"

#include <string>

// What each worker thread is given, as its own copy, when it starts: the
// settings file (which keeps the server list's stamp and the highest accepted
// signed sequences), and what the launcher was built with for signed updates.
struct WorkerSettings {
    std::string iniPath;
    SigningSettings signing;

    // A launcher built with a key takes only signed documents.
    UpdateMode Mode() const {
        return signing.publicKey.empty() ? UpdateMode::kPlain : UpdateMode::kSigned;
    }
};
