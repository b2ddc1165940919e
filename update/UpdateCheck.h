#pragma once

#include "update/GameFolder.h"
#include "update/Manifest.h"

#include <string>
#include <vector>

// What the manifest asks of this game folder, after its deletions were done.
struct UpdatePlan {
    std::vector<ManifestItem> fetchList; // manifest order, duplicates kept
    bool selfUpdate = false;             // "vemor.exe" itself is out of date
    // A file to delete is still there: the folder is not in the
    // community's state, whatever the download does.
    bool deleteFailed = false;
};

// Walks the manifest in order: deletes the paths of the delete section from
// the game folder and lists every file whose local copy is not current. Each
// file gets its line in the log, except that above kCurrentLinesMax files
// listed the current ones are only counted, and so are the files to delete
// that were not there above as many of those: a community of thousands of
// files would otherwise fill the log with them on every start.
UpdatePlan DeleteAndListOutdated(const Manifest& manifest, IGameFolder& folder);
constexpr size_t kCurrentLinesMax = 40;

// Whether the local copy of a listed file has the listed size and CRC. The
// CRC is computed only when the size already matches. What differs is logged.
bool IsLocalCopyCurrent(const ManifestItem& item, IGameFolder& folder);

// The name of the launcher's own executable in the manifest.
constexpr const char kLauncherName[] = "vemor.exe";

// The launcher cannot overwrite its running executable, so its new copy is
// stored as "vemor.new" for the self-update program; every other file keeps
// its own name.
std::string LocalNameFor(const std::string& name);

// The manifest's names are Windows paths; an ordinary (Unix) FTP server does
// not take "\" as a separator, while every server takes "/".
std::string RemoteNameFor(const std::string& name);
