#include "identity/AccountRecord.h"

#include "identity/DriveProbe.h"
#include "identity/Win32CookieFile.h"

AccountRecord::AccountRecord()
    : AccountRecord(ReadDriveSerial(), std::make_unique<Win32CookieFile>()) {}
