#pragma once

#include "signing/SignedUpdate.h"
#include "update/Manifest.h"

#include <string>

// The signed manifest at url as the update works through it. Unless it was
// accepted it is not valid, so nothing is deleted and nothing fetched.
Manifest FetchSignedManifest(SignedSource& source, const std::string& url);
