#pragma once

#include "update/GameFolder.h"
#include "update/Manifest.h"

#include <string>
#include <vector>

// What the manifest asks of this game folder, after its deletions were done.
struct UpdatePlan {
    std::vector<std::string> fetchList; // manifest order, duplicates kept
    bool selfUpdate = false;            // "vemor.exe" itself is out of date
};

// Walks the manifest in order: deletes the paths of the delete section and
// lists every file whose local size or CRC differs. The CRC is computed only
// when the size already matches.
UpdatePlan CheckManifest(const Manifest& manifest, IGameFolder& folder);

// The launcher cannot overwrite its running executable, so its new copy is
// stored as "vemor.new" for the self-update program; every other file keeps
// its own name.
std::string LocalNameFor(const std::string& name);
