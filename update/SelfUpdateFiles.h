#pragma once

// The files of the self-update hand-off between the launcher and eu.exe, in
// the game folder beside the launcher's own "vemor.exe" (kLauncherName).

// The new launcher, arrived whole and verified, waiting for eu.exe.
constexpr const char kNewLauncherName[] = "vemor.new";
// A new launcher that eu.exe could not put in place. The launcher does not
// fetch and hand over one of the same size and CRC again.
constexpr const char kFailedLauncherName[] = "vemor.failed";
// eu.exe's copy of the old launcher until the new one is in place.
constexpr const char kOldLauncherCopy[] = "vemor.bak";
