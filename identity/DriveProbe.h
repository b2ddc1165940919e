#pragma once

#include "identity/DriveQuery.h"
#include "identity/IdentifyText.h"

#include <cstdint>

// The serial number of the machine's first usable fixed disk, read through
// the disk drivers, and the model recorded with it. Empty until a probe path
// records a serial; only the first usable serial is kept.
const size_t kDriveTextSize = 1024;
extern char g_driveSerial[kDriveTextSize];
extern char g_driveModel[kDriveTextSize];

// Runs the probe paths of the platform family in their fixed order and
// returns the recorded serial (empty when none was found). Never fails.
const char* ReadDriveSerial(IDriveQuery& query);
// The same on this machine's own drivers (Win32 shell).
const char* ReadDriveSerial();

// The five paths; each tells whether it got data for at least one drive.
bool ProbeSmartIdentify(IDriveQuery& query);
bool ProbeScsiMiniport(IDriveQuery& query);
bool ProbeStorageQuery(IDriveQuery& query);
bool ProbeSmartShared(IDriveQuery& query);
bool ProbeIdeVxd(IDriveQuery& query);

// Records the serial and model of one drive's IDENTIFY data when no serial is
// recorded yet and this one is usable.
void RecordIdentifyData(int32_t driveNumber, const IdentifyWords& words);
